#include "desktopshell.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "messages.h"
#include "runtime/errors.h"
#include "runtime/handles.h"
#include "runtime/latebound.h"

namespace modFunctions {
namespace {

template <class T>
using Com = rt::ComPtr<T>;

// Out of process only: an object in this process would start the page elevated. And
// only a shell already running: one launched for this program would run as it does.
constexpr DWORD kShellContext = CLSCTX_LOCAL_SERVER | CLSCTX_DISABLE_AAA;

// The desktop's window, as the shell's own browser object for it.
Com<IDispatch> DesktopWindow() {
    Com<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, kShellContext, IID_IShellWindows,
                                reinterpret_cast<void**>(windows.Put()))) ||
        !windows)
        return {};
    VARIANT nowhere{};  // VT_EMPTY
    long window = 0;
    Com<IDispatch> desktop;
    if (windows->FindWindowSW(&nowhere, &nowhere, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.Put()) !=
        S_OK)
        return {};
    return desktop;
}

// What `object` offers as `Wanted`; null if nothing.
template <class Wanted, class Has>
Com<Wanted> As(const Com<Has>& object, REFIID iid) {
    Com<Wanted> wanted;
    if (!object || FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(wanted.Put())))) return {};
    return wanted;
}

// The active view of the desktop's browser: the background's automation object.
Com<IDispatch> DesktopBackground(const Com<IDispatch>& desktop) {
    const auto services = As<IServiceProvider>(desktop, IID_IServiceProvider);
    Com<IShellBrowser> browser;
    if (!services ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                      reinterpret_cast<void**>(browser.Put()))) ||
        !browser)
        return {};
    Com<IShellView> view;
    if (FAILED(browser->QueryActiveShellView(view.Put())) || !view) return {};
    Com<IDispatch> background;
    if (FAILED(
            view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(background.Put()))))
        return {};
    return background;
}

// The shell's automation object that lives in the desktop's process; null when
// no desktop shell answers.
Com<IShellDispatch2> DesktopDispatch() {
    const auto folder =
        As<IShellFolderViewDual>(DesktopBackground(DesktopWindow()), IID_IShellFolderViewDual);
    Com<IDispatch> application;
    if (!folder || FAILED(folder->get_Application(application.Put()))) return {};
    return As<IShellDispatch2>(application, IID_IShellDispatch2);
}

// A text as an automation argument; an empty text is no argument.
class TextArgument {
public:
    explicit TextArgument(const std::wstring& text) {
        static auto* alloc = rt::LateBound<decltype(SysAllocString)>(L"oleaut32.dll", "SysAllocString");
        if (text.empty() || !alloc) return;
        value_.vt = VT_BSTR;
        value_.bstrVal = alloc(text.c_str());
    }
    ~TextArgument() {
        static auto* release = rt::LateBound<decltype(SysFreeString)>(L"oleaut32.dll", "SysFreeString");
        if (value_.vt == VT_BSTR && release) release(value_.bstrVal);
    }
    TextArgument(const TextArgument&) = delete;
    TextArgument& operator=(const TextArgument&) = delete;
    const VARIANT& Get() const { return value_; }

private:
    VARIANT value_{};
};

}  // namespace

HRESULT DesktopShellOpen(const std::wstring& file, const std::wstring& parameters,
                         const std::wstring& directory) {
    const Com<IShellDispatch2> shell = DesktopDispatch();
    if (!shell) rt::Raise(kNoDesktopShell, L"OpenURL", msg::kNoDesktopShell);
    const TextArgument what(file), arguments(parameters), folder(directory), verb(L"Open");
    if (what.Get().vt != VT_BSTR) return E_OUTOFMEMORY;
    VARIANT show{};
    show.vt = VT_I4;
    show.lVal = SW_SHOW;
    return shell->ShellExecute(what.Get().bstrVal, arguments.Get(), folder.Get(), verb.Get(), show);
}

}  // namespace modFunctions
