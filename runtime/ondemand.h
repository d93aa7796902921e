// The common controls' and OLE Automation's functions the program calls,
// bound at their first call (latebound.h): a script's call builds no window
// and loads neither DLL, which would cost every start of it. Without the DLL
// each answers as its function does when it fails.
#pragma once

#include <windows.h>
// The platform headers below build on windows.h.
#include <commctrl.h>
#include <olectl.h>

namespace rt::ondemand {

void InitCommonControls();
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
BOOL SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
BOOL GetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* data);
BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

HRESULT OleLoadPicture(IStream* stream, LONG size, BOOL runMode, REFIID iid, void** picture);
HRESULT OleCreatePictureIndirect(PICTDESC* description, REFIID iid, BOOL own, void** picture);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
HRESULT LoadTypeLibEx(const OLECHAR* file, REGKIND kind, ITypeLib** library);

}  // namespace rt::ondemand
