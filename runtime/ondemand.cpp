#include "ondemand.h"

#include "latebound.h"

namespace rt::ondemand {
namespace {

const wchar_t kControls[] = L"comctl32.dll";  // the manifest's version 6
const wchar_t kAutomation[] = L"oleaut32.dll";

}  // namespace

void InitCommonControls() {
    static auto* bound = LateBound<decltype(::InitCommonControls)>(kControls, "InitCommonControls");
    if (bound) bound();
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    static auto* bound = LateBound<decltype(::InitCommonControlsEx)>(kControls, "InitCommonControlsEx");
    return bound ? bound(controls) : FALSE;
}

BOOL SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
    static auto* bound = LateBound<decltype(::SetWindowSubclass)>(kControls, "SetWindowSubclass");
    return bound ? bound(window, proc, id, data) : FALSE;
}

BOOL GetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* data) {
    static auto* bound = LateBound<decltype(::GetWindowSubclass)>(kControls, "GetWindowSubclass");
    return bound ? bound(window, proc, id, data) : FALSE;
}

BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
    static auto* bound = LateBound<decltype(::RemoveWindowSubclass)>(kControls, "RemoveWindowSubclass");
    return bound ? bound(window, proc, id) : FALSE;
}

LRESULT DefSubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    static auto* bound = LateBound<decltype(::DefSubclassProc)>(kControls, "DefSubclassProc");
    return bound ? bound(window, msg, wParam, lParam) : DefWindowProcW(window, msg, wParam, lParam);
}

HRESULT OleLoadPicture(IStream* stream, LONG size, BOOL runMode, REFIID iid, void** picture) {
    static auto* bound = LateBound<decltype(::OleLoadPicture)>(kAutomation, "OleLoadPicture");
    return bound ? bound(stream, size, runMode, iid, picture) : E_NOTIMPL;
}

HRESULT OleCreatePictureIndirect(PICTDESC* description, REFIID iid, BOOL own, void** picture) {
    static auto* bound =
        LateBound<decltype(::OleCreatePictureIndirect)>(kAutomation, "OleCreatePictureIndirect");
    return bound ? bound(description, iid, own, picture) : E_NOTIMPL;
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    static auto* bound = LateBound<decltype(::SysAllocStringLen)>(kAutomation, "SysAllocStringLen");
    return bound ? bound(text, length) : nullptr;
}

HRESULT LoadTypeLibEx(const OLECHAR* file, REGKIND kind, ITypeLib** library) {
    static auto* bound = LateBound<decltype(::LoadTypeLibEx)>(kAutomation, "LoadTypeLibEx");
    return bound ? bound(file, kind, library) : TYPE_E_CANTLOADLIBRARY;
}

}  // namespace rt::ondemand
