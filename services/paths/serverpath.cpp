#include "serverpath.h"

#include <windows.h>

#include <array>
#include <cwctype>

namespace services {
namespace {

constexpr wchar_t kBlanks[] = L" \t";

std::wstring Trim(const std::wstring& text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::wstring::npos) return L"";
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::wstring StripOneQuotePair(const std::wstring& text) {
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        return text.substr(1, text.size() - 2);
    return text;
}

// `"a" "b" ...`: every part in quotes, blanks between. False for any other form.
bool SplitQuotedList(const std::wstring& text, std::vector<std::wstring>& parts) {
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] != L'"') return false;
        const size_t close = text.find(L'"', at + 1);
        if (close == std::wstring::npos) return false;
        parts.push_back(text.substr(at + 1, close - at - 1));
        at = close + 1;
        if (at == text.size()) break;
        if (!wcschr(kBlanks, text[at])) return false;
        at = text.find_first_not_of(kBlanks, at);
    }
    return !parts.empty();
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find_first_of(L"\r\n", start);
        lines.push_back(text.substr(start, end == std::wstring::npos ? end : end - start));
        if (end == std::wstring::npos) return lines;
        start = end + 1;
    }
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// The part after a \\?\ or \\.\ prefix when it names a file on a drive, a
// share or a volume; nullopt-like npos when the prefix names a device.
size_t FileNamespaceStart(const std::wstring& path) {
    const bool prefixed = path.size() >= 4 && (path[0] == L'\\' || path[0] == L'/') &&
                          (path[1] == L'\\' || path[1] == L'/') && (path[2] == L'?' || path[2] == L'.') &&
                          (path[3] == L'\\' || path[3] == L'/');
    if (!prefixed) return 0;
    const std::wstring rest = path.substr(4);
    if (rest.size() >= 3 && IsDriveLetter(rest[0]) && rest[1] == L':' &&
        (rest[2] == L'\\' || rest[2] == L'/'))
        return 4;
    if (CompareStringOrdinal(rest.substr(0, 4).c_str(), -1, L"UNC\\", -1, TRUE) == CSTR_EQUAL) return 4 + 4;
    if (CompareStringOrdinal(rest.substr(0, 7).c_str(), -1, L"Volume{", -1, TRUE) == CSTR_EQUAL) return 4;
    return std::wstring::npos;
}

// CON, NUL, COM1, LPT1 ... name devices in every folder and with any extension.
bool IsDeviceName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/:");
    std::wstring name = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ') name.pop_back();
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
    static const std::array<const wchar_t*, 7> plain = {L"CON",    L"PRN",     L"AUX",   L"NUL",
                                                        L"CONIN$", L"CONOUT$", L"CLOCK$"};
    for (const wchar_t* device : plain)
        if (name == device) return true;
    const bool numbered = name.size() == 4 && (name.starts_with(L"COM") || name.starts_with(L"LPT"));
    return numbered &&
           (std::iswdigit(name[3]) || name[3] == L'\u00B9' || name[3] == L'\u00B2' || name[3] == L'\u00B3');
}

}  // namespace

std::wstring UnquotedPath(const std::wstring& text) {
    return Trim(StripOneQuotePair(Trim(text)));
}

std::wstring ExpandVariables(const std::wstring& text) {
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) return text;
    expanded.resize(written - 1);
    return expanded;
}

std::vector<std::wstring> SplitServerPaths(const std::wstring& field) {
    std::vector<std::wstring> parts;
    if (field.find_first_of(L"\r\n") != std::wstring::npos) {
        parts = SplitLines(field);
    } else if (!SplitQuotedList(Trim(field), parts)) {
        parts = {field};
    }
    std::vector<std::wstring> paths;
    for (const std::wstring& part : parts) {
        const std::wstring path = UnquotedPath(part);
        if (!path.empty()) paths.push_back(ExpandVariables(path));
    }
    return paths;
}

std::wstring FieldTextForSelection(const std::wstring& dialogAnswer) {
    if (dialogAnswer.find_first_of(L"\r\n") == std::wstring::npos) return dialogAnswer;
    std::wstring field;
    for (const std::wstring& line : SplitLines(dialogAnswer)) {
        if (line.empty()) continue;
        if (!field.empty()) field += L' ';
        field += L'"' + line + L'"';
    }
    return field;
}

bool IsBareName(const std::wstring& path) {
    return path.find_first_of(L"\\/:") == std::wstring::npos;
}

PathCheck CheckPathForm(const std::wstring& path) {
    if (path.size() > kLongestPath) return {ServerFault::Malformed, L"it is longer than any path can be."};
    const size_t start = FileNamespaceStart(path);
    if (start == std::wstring::npos || IsDeviceName(path)) return {ServerFault::Device, {}};
    for (size_t i = start; i < path.size(); ++i) {
        const wchar_t c = path[i];
        if (c < 32)
            return {ServerFault::Malformed, L"it holds a control character, which no file name can hold."};
        if (wcschr(L"<>\"|?*", c))
            return {ServerFault::Malformed,
                    std::wstring(L"it holds the character ") + c + L", which no file name can hold."};
        const bool driveColon = c == L':' && i == start + 1 && IsDriveLetter(path[start]);
        if (c == L':' && !driveColon)
            return {ServerFault::Malformed, L"a colon may only follow the drive letter at its start."};
    }
    return {};
}

}  // namespace services
