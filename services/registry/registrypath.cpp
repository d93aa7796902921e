#include "registrypath.h"

#include "paths/loadersearch.h"
#include "paths/serverpath.h"
#include "paths/serverroad.h"

namespace services {
namespace {

// A 64-bit process's %ProgramFiles% is what this 32-bit one calls %ProgramW6432%.
std::wstring As64BitClientSees(std::wstring text) {
    const struct {
        const wchar_t* name;
        const wchar_t* native;
    } folders[] = {{L"%ProgramFiles%", L"%ProgramW6432%"},
                   {L"%CommonProgramFiles%", L"%CommonProgramW6432%"}};
    for (const auto& folder : folders) {
        const int length = lstrlenW(folder.name);
        for (size_t at = 0; at + length <= text.size(); ++at)
            if (CompareStringOrdinal(text.c_str() + at, length, folder.name, length, TRUE) == CSTR_EQUAL)
                text.replace(at, length, folder.native);
    }
    return text;
}

}  // namespace

std::wstring SpelledPath(const std::wstring& value, DWORD type, RegistryView view) {
    const std::wstring path = UnquotedPath(value);
    if (type != REG_EXPAND_SZ) return path;
    return UnquotedPath(ExpandVariables(view == RegistryView::Bits64 ? As64BitClientSees(path) : path));
}

std::wstring NameKey(const std::wstring& spelledPath) {
    std::wstring name = FileNameOf(WithDllExtension(spelledPath));
    // A trailing dot tells the loader the name has no extension; the file has none.
    if (!name.empty() && name.back() == L'.') name.pop_back();
    CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

std::wstring OpenablePath(const std::wstring& spelledPath, RegistryView view) {
    if (spelledPath.empty() || CheckPathForm(spelledPath).Fault != ServerFault::None) return {};
    if (IsBareName(spelledPath))
        return view == RegistryView::Bits64 ? FindBareName64(spelledPath) : FindBareName(spelledPath);
    const std::wstring full = LoaderPath(spelledPath);
    return view == RegistryView::Bits64 ? ShellView(full) : full;
}

}  // namespace services
