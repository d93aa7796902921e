// An owner for an open registry key, as handles.h has them for kernel handles:
// one key, not copyable, movable, closed at scope end. The predefined roots
// (HKEY_LOCAL_MACHINE, ...) are never owned.
#pragma once

#include <windows.h>

#include <utility>

namespace rt {

class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) {}
    ~RegKey() { Reset(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.key_, nullptr));
        return *this;
    }

    HKEY Get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    void Reset(HKEY key = nullptr) {
        if (key_) RegCloseKey(key_);
        key_ = key;
    }
    // For functions that hand a key out through a pointer: the old one is closed first.
    HKEY* Put() {
        Reset();
        return &key_;
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace rt
