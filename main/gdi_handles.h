// Owning wrappers for GDI handles: non-copyable, deleted exactly once.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace gdi {

struct ObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};

template <class Handle>
using Owned = std::unique_ptr<std::remove_pointer_t<Handle>, ObjectDeleter>;
using OwnedRegion = Owned<HRGN>;
using OwnedBitmap = Owned<HBITMAP>;
using OwnedMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// Selects an object into a DC for one scope and puts the previous one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelect() { SelectObject(dc_, previous_); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace gdi
