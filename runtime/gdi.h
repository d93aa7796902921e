// Owning and scope wrappers for GDI handles, shared by the runtime, the button and
// the program. Each owner holds exactly one handle, cannot be copied, can be moved,
// and frees the handle at scope end. A count of the live objects and memory DCs
// made through them lets tests prove that a piece of drawing gives back everything
// it created. Icons, cursors and modules have owners of the same kind.
#pragma once

#include <windows.h>

#include <utility>

#include "owner.h"

namespace rt::gdi {

// Handles owned through these wrappers and not yet freed or handed away.
long LiveObjects();

namespace detail {
void Created(const void* handle);
void Freed(const void* handle);

// Drawing objects are counted as they are taken and given back.
template <class H, void (*FreeIt)(H)>
struct Counted : Uncounted<H> {
    static constexpr bool kCounted = true;
    static void Free(H handle) { FreeIt(handle); }
    static void Took(H handle) { Created(handle); }
    static void Gave(H handle) { Freed(handle); }
};
template <class H>
void DeleteGdiObject(H handle) {
    DeleteObject(handle);
}
inline void DeleteMemoryDC(HDC dc) {
    DeleteDC(dc);
}
inline void DestroyIconHandle(HICON icon) {
    DestroyIcon(icon);
}
inline void DestroyCursorHandle(HCURSOR cursor) {
    DestroyCursor(cursor);
}
}  // namespace detail

template <class Handle, void (*Free)(Handle) = detail::DeleteGdiObject<Handle>>
using Object = Owner<detail::Counted<Handle, Free>>;

using Pen = Object<HPEN>;
using Brush = Object<HBRUSH>;
using Bitmap = Object<HBITMAP>;
using Region = Object<HRGN>;
using Font = Object<HFONT>;
// Never for shared icons and cursors: those belong to the system's cache.
using Icon = Object<HICON, detail::DestroyIconHandle>;
using Cursor = Object<HCURSOR, detail::DestroyCursorHandle>;

inline Brush SolidBrush(COLORREF colour) {
    return Brush(CreateSolidBrush(colour));
}

// A memory device context compatible with another one (with the screen for null).
class MemoryDC : public Object<HDC, detail::DeleteMemoryDC> {
public:
    explicit MemoryDC(HDC compatibleWith) : Object<HDC, detail::DeleteMemoryDC>(CreateCompatibleDC(compatibleWith)) {}
};

// Selects an object into a device context for one scope and puts the previous one
// back. Selecting null does nothing.
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

// A window's client DC for the scope (the screen's for a null window). Not counted:
// the system lends it and takes it back.
class ClientDC {
public:
    explicit ClientDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~ClientDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    ClientDC(const ClientDC&) = delete;
    ClientDC& operator=(const ClientDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint and EndPaint paired for one WM_PAINT. Not counted: the system lends the DC.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
    ~PaintDC() { EndPaint(hwnd_, &ps_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return dc_; }
    const RECT& Area() const { return ps_.rcPaint; }  // what needs painting

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

}  // namespace rt::gdi
