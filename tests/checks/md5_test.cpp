#include "checks/md5.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace torvane {
namespace {

std::string Md5Of(const std::string& message) {
    return Md5Text(Md5(std::span(reinterpret_cast<const uint8_t*>(message.data()), message.size())));
}

TEST(Md5Test, TestSuiteOfRfc1321) {
    // RFC 1321, appendix A.5.
    EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", Md5Of(""));
    EXPECT_EQ("0cc175b9c0f1b6a831c399e269772661", Md5Of("a"));
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", Md5Of("abc"));
    EXPECT_EQ("f96b697d7cb7938d525a2f31aaf161d0", Md5Of("message digest"));
    EXPECT_EQ("c3fcd3d76192e4007dfb496cca67e13b", Md5Of("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ("d174ab98d277d9f5a5611c2c9f419d9f",
              Md5Of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"));
    EXPECT_EQ("57edf4a22be3c955ac49da2e2107b67a",
              Md5Of("12345678901234567890123456789012345678901234567890123456789012345678901234567890"));
}

TEST(Md5Test, PaddingAroundTheBlockBoundaries) {
    // Messages of n letters 'a', where the padding takes one or two blocks; the
    // values are those of coreutils md5sum.
    const struct {
        size_t n;
        const char* digest;
    } cases[] = {
        {55, "ef1772b6dff9a122358552954ad0df65"},  {56, "3b0c8ac703f828b04c6c197006d17218"},
        {63, "b06521f39153d618550606be297466d5"},  {64, "014842d480b571495a4a0363793f7367"},
        {65, "c743a45e0d2e6a95cb859adae0248435"},  {119, "8a7bd0732ed6a28ce75f6dabc90e1613"},
        {120, "5f61c0ccad4cac44c75ff505e1f1e537"}, {128, "e510683b3f5ffe4093d021808bc6ff70"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.digest, Md5Of(std::string(c.n, 'a'))) << c.n;
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// The digest is the same whichever block rounds the build uses.
TEST(Md5Test, LibraryAndOwnRoundsAgree) {
    std::vector<uint8_t> bytes(3 * 64 * 1024 + 17);
    uint32_t x = 12345;
    for (uint8_t& b : bytes) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 16);
    for (const size_t n : {size_t{0}, size_t{55}, size_t{56}, size_t{64}, size_t{1000}, bytes.size()}) {
        const std::span<const uint8_t> piece(bytes.data(), n);
        EXPECT_EQ(Md5Own(piece), Md5(piece)) << n;
    }
    RecordProperty("library", Md5UsesLibrary() ? "yes" : "no");
}

}  // namespace
}  // namespace torvane
