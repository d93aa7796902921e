#include "shellfiles.h"

#include <windows.h>

#include "arguments.h"
#include "frmreg.h"
#include "paths/serverpath.h"

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
    return SplitArguments(AfterProgramName(commandLine));
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
