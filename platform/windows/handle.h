#pragma once

#include <windows.h>

#include <utility>

namespace torvane::windows {

// A file handle closed when the scope ends.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (valid()) ::CloseHandle(h_);
    }
    Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            if (valid()) ::CloseHandle(h_);
            h_ = std::exchange(other.h_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE get() const { return h_; }
    // Closes now and reports whether the close succeeded.
    bool Close() {
        const HANDLE h = std::exchange(h_, INVALID_HANDLE_VALUE);
        return h == INVALID_HANDLE_VALUE || h == nullptr || ::CloseHandle(h) != 0;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

}  // namespace torvane::windows
