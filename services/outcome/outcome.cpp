#include "outcome.h"

#include <algorithm>
#include <cwchar>

namespace services {

std::wstring CutPreviewText(std::wstring text, size_t longest) {
    if (text.size() <= longest) return text;
    const wchar_t kCutShort[] =
        L"\r\n; ... cut short here: the rest is longer than the program can carry.\r\n";
    text.resize(longest - std::min(longest, wcslen(kCutShort)));
    const size_t line = text.rfind(L"\r\n");
    if (line != std::wstring::npos) text.resize(line);
    return text + kCutShort;
}

}  // namespace services
