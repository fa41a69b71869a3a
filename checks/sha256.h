#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace torvane {

// SHA-256 (FIPS 180-4) over bytes that arrive in pieces of any size.
class Sha256 {
public:
    Sha256();
    void Update(std::span<const uint8_t> bytes);
    std::array<uint8_t, 32> Digest() const;

private:
    void Block(const uint8_t* block);

    std::array<uint32_t, 8> h_;
    std::array<uint8_t, 64> pending_{};
    size_t pendingSize_ = 0;
    uint64_t length_ = 0;  // bytes
};

std::array<uint8_t, 32> ComputeSha256(std::span<const uint8_t> bytes);
// The digest as 64 lower-case hex digits, as sha256sum prints it.
std::string Sha256Text(const std::array<uint8_t, 32>& digest);

}  // namespace torvane
