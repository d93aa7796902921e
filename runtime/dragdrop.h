// Drag and drop of the user-control surface: the drop target it registers while
// its host has drop handling on, and the drop source of a drag it starts.
#pragma once

#include <ole2.h>

#include "handles.h"

namespace rt {

class UserControl;

namespace detail {
struct DropTargetTraits : Uncounted<HWND> {
    static void Free(HWND window) { RevokeDragDrop(window); }
};
}  // namespace detail

// A window registered as a drop target, revoked with its owner.
using DropRegistration = Owner<detail::DropTargetTraits>;

// Turns the platform's drop notifications into the surface's OLEDragOver and
// OLEDragDrop, in the surface's client coordinates.
class SurfaceDropTarget final : public IDropTarget {
public:
    static ComPtr<SurfaceDropTarget> Make(UserControl& surface) {
        return ComPtr<SurfaceDropTarget>(new SurfaceDropTarget(surface));
    }
    // The surface is going: later calls from the platform do nothing.
    void Detach() { surface_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

private:
    explicit SurfaceDropTarget(UserControl& surface) : surface_(&surface) {}
    ~SurfaceDropTarget() = default;
    HRESULT Over(DWORD keys, POINTL at, DWORD* effect, short state);
    // Raises one notification with the drag's arguments in the surface's terms.
    template <class Fire>
    void Deliver(DWORD keys, POINTL at, DWORD* effect, Fire fire);

    LONG refs_ = 1;
    UserControl* surface_;
    ComPtr<IDataObject> data_;  // held between DragEnter and DragLeave or Drop
};

// Runs a drag of `data` until the left button is released (drop) or Esc is
// pressed (cancel); the effect of the drop, or DROPEFFECT_NONE.
DWORD RunDrag(IDataObject* data, DWORD allowedEffects);

}  // namespace rt
