#include "probes.h"

#include <commctrl.h>

#include "runtime/handles.h"
#include "runtime/latebound.h"
#include "runtime/sysversion.h"

namespace aero {
namespace {

// Export names are plain ASCII.
std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

}  // namespace

bool IsFunctionExported(const std::wstring& functionName, const std::wstring& moduleName) {
    // Loaded only for the look-up when nobody has it loaded yet, and let go again.
    rt::Module loadedHere;
    HMODULE module = GetModuleHandleW(moduleName.c_str());
    if (!module) {
        loadedHere.Reset(rt::LoadSystemLibrary(moduleName.c_str()));
        module = loadedHere.Get();
    }
    return module && GetProcAddress(module, Narrow(functionName).c_str()) != nullptr;
}

FARPROC GetExportAddress(const std::wstring& moduleName, const std::wstring& functionName) {
    const HMODULE module = GetModuleHandleW(moduleName.c_str());
    if (!module) return nullptr;
    return GetProcAddress(module, Narrow(functionName).c_str());
}

bool IsWinNT() {
    return rt::SystemVersion().dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void RequestMouseLeave(HWND hWnd, bool useUser32) {
    // Bound late rather than imported, so a system without either still starts.
    static const auto user32 = rt::LateBound<decltype(TrackMouseEvent)>(L"user32.dll", "TrackMouseEvent");
    static const auto comctl32 =
        rt::LateBound<decltype(_TrackMouseEvent)>(L"comctl32.dll", "_TrackMouseEvent");
    const auto track = useUser32 ? user32 : comctl32;
    if (!track) return;
    TRACKMOUSEEVENT request{};
    request.cbSize = sizeof(request);
    request.dwFlags = TME_LEAVE;
    request.hwndTrack = hWnd;
    request.dwHoverTime = 0;
    track(&request);
}

}  // namespace aero
