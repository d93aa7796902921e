#include "dragdrop.h"

#include "basewindow.h"
#include "usercontrol.h"

namespace rt {
namespace {

constexpr short kEnter = 0, kLeave = 1, kOver = 2;

class DropSource final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IDropSource) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = this;
        return S_OK;
    }
    // Lives on the stack of RunDrag, which outlasts every call.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

}  // namespace

HRESULT SurfaceDropTarget::QueryInterface(REFIID iid, void** out) {
    if (iid != IID_IUnknown && iid != IID_IDropTarget) {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    *out = this;
    AddRef();
    return S_OK;
}

ULONG SurfaceDropTarget::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG SurfaceDropTarget::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

template <class Fire>
void SurfaceDropTarget::Deliver(DWORD keys, POINTL at, DWORD* effect, Fire fire) {
    if (!surface_ || !surface_->live_) {
        *effect = DROPEFFECT_NONE;
        return;
    }
    POINT pt{at.x, at.y};
    ScreenToClient(surface_->hWnd(), &pt);
    long e = static_cast<long>(*effect);
    short button = MouseButtonsOf(keys), shift = ShiftStateOf(keys);
    float x = static_cast<float>(pt.x), y = static_cast<float>(pt.y);
    fire(surface_->events_, e, button, shift, x, y);
    *effect = static_cast<DWORD>(e);
}

HRESULT SurfaceDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
    data_ = ComPtr<IDataObject>::Share(data);
    return Over(keys, at, effect, kEnter);
}

HRESULT SurfaceDropTarget::DragOver(DWORD keys, POINTL at, DWORD* effect) {
    return Over(keys, at, effect, kOver);
}

HRESULT SurfaceDropTarget::DragLeave() {
    DWORD effect = DROPEFFECT_NONE;
    POINT pt{};
    GetCursorPos(&pt);
    Over(0, POINTL{pt.x, pt.y}, &effect, kLeave);
    data_.Reset();
    return S_OK;
}

HRESULT SurfaceDropTarget::Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
    Deliver(keys, at, effect,
            [&](UserControlEvents& events, long& e, short& button, short& shift, float& x, float& y) {
                events.OLEDragDrop(data, e, button, shift, x, y);
            });
    data_.Reset();
    return S_OK;
}

HRESULT SurfaceDropTarget::Over(DWORD keys, POINTL at, DWORD* effect, short state) {
    Deliver(keys, at, effect,
            [&](UserControlEvents& events, long& e, short& button, short& shift, float& x, float& y) {
                events.OLEDragOver(data_.Get(), e, button, shift, x, y, state);
            });
    return S_OK;
}

DWORD RunDrag(IDataObject* data, DWORD allowedEffects) {
    DropSource source;
    DWORD effect = DROPEFFECT_NONE;
    if (DoDragDrop(data, &source, allowedEffects, &effect) != DRAGDROP_S_DROP) return DROPEFFECT_NONE;
    return effect;
}

}  // namespace rt
