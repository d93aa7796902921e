#include "shellfiles.h"

#include <windows.h>
// The platform headers below build on windows.h.
#include <shellapi.h>

#include <cwchar>

#include "frmreg.h"
#include "paths/serverpath.h"
#include "runtime/handles.h"
#include "runtime/latebound.h"

namespace {

// The text after the program's own name: up to the closing quote when the
// name is quoted, else up to the first blank, as the system reads it.
const wchar_t* AfterProgramName(const wchar_t* line) {
    if (*line == L'"') {
        const wchar_t* close = wcschr(line + 1, L'"');
        return close ? close + 1 : line + wcslen(line);
    }
    while (*line && *line != L' ' && *line != L'\t') ++line;
    return line;
}

}  // namespace

std::wstring ArgumentFile(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) return path;
    full.resize(written);
    return GetFileAttributesW(full.c_str()) == INVALID_FILE_ATTRIBUTES ? path : full;
}

std::vector<std::wstring> CommandArguments(const wchar_t* commandLine) {
    std::vector<std::wstring> arguments;
    const wchar_t* rest = AfterProgramName(commandLine);
    // Most starts have none: the shell's DLL stays out of them.
    if (rest[wcsspn(rest, L" \t")] == L'\0') return arguments;
    static auto* split = rt::LateBound<decltype(CommandLineToArgvW)>(L"shell32.dll", "CommandLineToArgvW");
    int count = 0;
    const rt::LocalMemory<wchar_t*> args(split ? split(commandLine, &count) : nullptr);
    for (int i = 1; args && i < count; ++i) arguments.emplace_back(args.Get()[i]);
    return arguments;
}

std::vector<std::wstring> ArgumentFiles(const std::vector<std::wstring>& args) {
    std::vector<std::wstring> files;
    for (const std::wstring& arg : args)
        if (!arg.empty()) files.push_back(ArgumentFile(arg));
    return files;
}

std::wstring FieldTextForFiles(const std::vector<std::wstring>& files) {
    std::wstring lines;
    for (const std::wstring& file : files) lines += (lines.empty() ? L"" : L"\r\n") + file;
    return services::FieldTextForSelection(lines);
}

void frmReg::TakeFiles(const std::vector<std::wstring>& files) {
    if (!files.empty()) txtSource_->SetText(FieldTextForFiles(files));
}

void frmReg::Form_FilesDropped(const std::vector<std::wstring>& files) {
    TakeFiles(files);
    // The files came from another window: the user looks here next.
    if (form_.GetWindowState() == rt::WindowState::Minimized) form_.SetWindowState(rt::WindowState::Normal);
    form_.Show();
}
