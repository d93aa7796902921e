// Owning wrappers for the GDI objects the button creates while painting:
// each owns exactly one handle, cannot be copied, and frees it at scope end.
// A count of the live objects made through them lets tests prove that a paint
// gives back everything it created.
#pragma once

#include <windows.h>

#include <utility>

namespace aero::gdi {

// Objects created through these wrappers and not yet freed or handed away.
long LiveObjects();

namespace detail {
void Created(const void* handle);
void Freed(const void* handle);
}  // namespace detail

template <class Handle>
class Object {
public:
    Object() = default;
    explicit Object(Handle handle) : handle_(handle) { detail::Created(handle_); }
    ~Object() { Reset(); }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    Object(Object&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Object& operator=(Object&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Gives the handle away (for instance a region to its window).
    Handle Release() {
        detail::Freed(handle_);
        return std::exchange(handle_, nullptr);
    }

private:
    void Reset() {
        if (!handle_) return;
        DeleteObject(handle_);
        detail::Freed(std::exchange(handle_, nullptr));
    }

    Handle handle_ = nullptr;
};

using Pen = Object<HPEN>;
using Brush = Object<HBRUSH>;
using Bitmap = Object<HBITMAP>;
using Region = Object<HRGN>;

// A memory device context compatible with another one.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) { detail::Created(dc_); }
    ~MemoryDC() {
        if (!dc_) return;
        DeleteDC(dc_);
        detail::Freed(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a device context for one scope and puts the previous one back.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (previous_) SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace aero::gdi
