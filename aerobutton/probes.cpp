#include "probes.h"

#include <commctrl.h>

#include "gdi.h"
#include "latebound.h"
#include "sysversion.h"

namespace aero {
namespace {

// Export names are plain ASCII.
std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

}  // namespace

bool IsFunctionExported(const std::wstring& functionName, const std::wstring& moduleName) {
    // Loaded only for the look-up when nobody has it loaded yet, and let go again.
    rt::gdi::Module loadedHere;
    HMODULE module = GetModuleHandleW(moduleName.c_str());
    if (!module) {
        loadedHere = rt::gdi::Module(rt::LoadSystemLibrary(moduleName.c_str()));
        module = loadedHere.Get();
    }
    return module && GetProcAddress(module, Narrow(functionName).c_str()) != nullptr;
}

FARPROC GetExportAddress(const std::wstring& moduleName, const std::wstring& functionName) {
    const HMODULE module = GetModuleHandleW(moduleName.c_str());
    if (!module) return nullptr;
    return GetProcAddress(module, Narrow(functionName).c_str());
}

bool IsWinNT() { return rt::SystemVersion().dwPlatformId == VER_PLATFORM_WIN32_NT; }

void RequestMouseLeave(HWND hWnd, bool useUser32) {
    using TrackFn = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
    // Looked up rather than imported, so a system without either still starts.
    const FARPROC address = useUser32 ? GetExportAddress(L"user32", L"TrackMouseEvent")
                                      : GetExportAddress(L"comctl32", L"_TrackMouseEvent");
    if (!address) return;
    TRACKMOUSEEVENT request{};
    request.cbSize = sizeof(request);
    request.dwFlags = TME_LEAVE;
    request.hwndTrack = hWnd;
    request.dwHoverTime = 0;
    reinterpret_cast<TrackFn>(reinterpret_cast<void*>(address))(&request);
}

}  // namespace aero
