#include "dlg.h"

#include <algorithm>

#include "runtime/latebound.h"

namespace services {
namespace {

std::wstring TrimSpaces(const std::wstring& text) {
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return L"";
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

std::wstring StripAt(const std::wstring& text, const std::wstring& separator) {
    const auto at = text.find(separator);
    return at == std::wstring::npos ? TrimSpaces(text) : text.substr(0, at);
}

bool IsDirectoryPart(const std::wstring& part) {
    return part.find_first_of(L"/\\:") != std::wstring::npos;
}

}  // namespace

std::wstring ConvertFilter(const std::wstring& filter) {
    std::wstring out = filter;
    if (out.empty() || out.back() != L'|') out += L'|';
    std::replace(out.begin(), out.end(), L'|', L'\0');
    return out;
}

std::wstring StripAtNull(const std::wstring& text) {
    return StripAt(text, std::wstring(1, L'\0'));
}

std::wstring StripAtDoubleNull(const std::wstring& text) {
    return StripAt(text, std::wstring(2, L'\0'));
}

std::wstring AddPathSeparator(const std::wstring& directory) {
    if (!directory.empty() && (directory.back() == L'\\' || directory.back() == L'/')) return directory;
    return directory + (directory.find(L"://") != std::wstring::npos ? L"/" : L"\\");
}

std::wstring JoinSelection(const std::wstring& buffer, std::wstring& initialDir) {
    const std::wstring list = StripAtDoubleNull(buffer);
    if (list.empty()) return L"";
    std::wstring result;
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(L'\0', start);
        const std::wstring part =
            TrimSpaces(list.substr(start, end == std::wstring::npos ? end : end - start));
        if (IsDirectoryPart(part)) {
            initialDir = part;
        } else if (!part.empty()) {
            // Separators go between names, so blank tails never leave a dangling CR LF.
            if (!result.empty()) result += L"\r\n";
            result += AddPathSeparator(initialDir) + part;
        }
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return result.empty() ? initialDir : result;
}

void PrepareOpenDialog(OpenDialogRecord& rec, HWND owner, const std::wstring& filter, long filterIndex,
                       const std::wstring& title, const std::wstring& initialDir,
                       const std::wstring& initialFileName, const std::wstring& defaultExtension, DWORD flags,
                       DWORD flagsEx) {
    static_assert(sizeof(OPENFILENAMEW) == 88, "the full record, with FlagsEx");
    rec.Filter = ConvertFilter(filter);
    // Room after the name is NUL, not blank: the dialog shows the buffer's
    // text as the initial name, and blanks would fill its file-name field.
    rec.File = initialFileName.substr(0, kFileBufferChars - 1);
    rec.File.resize(kFileBufferChars - 1, L'\0');
    rec.FileTitle.assign(kTitleBufferChars - 1, L' ');
    rec.InitialDir = initialDir;
    rec.Title = title;
    rec.DefaultExtension = defaultExtension;

    OPENFILENAMEW& ofn = rec.Ofn;
    ofn = OPENFILENAMEW{};
    ofn.lStructSize = sizeof(OPENFILENAMEW);
    ofn.hwndOwner = owner;
    ofn.hInstance = GetModuleHandleW(nullptr);
    ofn.lpstrFilter = rec.Filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(filterIndex);
    // std::wstring keeps a terminating NUL past size(): 30000 characters + NUL.
    ofn.lpstrFile = rec.File.data();
    ofn.nMaxFile = kFileBufferChars;
    ofn.lpstrFileTitle = rec.FileTitle.data();
    ofn.nMaxFileTitle = kTitleBufferChars;
    ofn.lpstrInitialDir = rec.InitialDir.c_str();
    ofn.lpstrTitle = rec.Title.c_str();
    // No hook procedure is ever supplied, so the hook flag must not reach the dialog.
    ofn.Flags = flags & ~static_cast<DWORD>(OFN_ENABLEHOOK);
    ofn.lpstrDefExt = rec.DefaultExtension.c_str();
    ofn.FlagsEx = flagsEx;
}

}  // namespace services

std::wstring clsDlg::ShowOpenDialogW(HWND owner, const std::wstring& filter, long& filterIndex,
                                     const std::wstring& title, std::wstring& initialDir,
                                     std::wstring& initialFileName, const std::wstring& defaultExtension,
                                     DWORD flags, DWORD flagsEx) {
    services::OpenDialogRecord rec;
    services::PrepareOpenDialog(rec, owner, filter, filterIndex, title, initialDir, initialFileName,
                                defaultExtension, flags, flagsEx);
    initialDir.clear();
    const auto open = rt::LateBound<decltype(GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    if (!open || !open(&rec.Ofn)) return L"";
    initialFileName = services::StripAtNull(rec.FileTitle);
    filterIndex = static_cast<long>(rec.Ofn.nFilterIndex);
    return services::JoinSelection(rec.File, initialDir);
}
