#include "commandoutput.h"

#include <algorithm>

#include "preview/regfile.h"

namespace {

HANDLE OwnCopy(HANDLE handle) {
    HANDLE copy = nullptr;
    const HANDLE self = GetCurrentProcess();
    return DuplicateHandle(self, handle, self, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS) ? copy : nullptr;
}

}  // namespace

Output::Output() : handle_(OwnCopy(GetStdHandle(STD_OUTPUT_HANDLE))) {
    const DWORD type = handle_ ? GetFileType(handle_.Get()) : FILE_TYPE_UNKNOWN;
    redirected_ = type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

void Output::Write(const std::wstring& text) const {
    if (redirected_ && !registrationFile_ && !document_) WriteUtf8(text + L"\r\n");
}

void Output::StartRegistrationFile() {
    if (!redirected_) return;
    registrationFile_ = true;
    WriteUtf16(L"\xFEFF" + services::kRegFileHeader);
}

void Output::WriteRegistrationPart(const std::wstring& line, const std::wstring& regText) const {
    if (!registrationFile_) return;
    const std::wstring body = regText.substr(std::min(regText.size(), services::kRegFileHeader.size()));
    WriteUtf16(L"\r\n; " + line + L"\r\n" + body);
}

void Output::WriteDocument(const std::wstring& text) const {
    if (document_) WriteUtf8(text);
}

void Output::WriteUtf8(const std::wstring& text) const {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    DWORD written = 0;
    WriteFile(handle_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Output::WriteUtf16(const std::wstring& text) const {
    DWORD written = 0;
    WriteFile(handle_.Get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
}
