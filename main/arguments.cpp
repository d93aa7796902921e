#include "arguments.h"

#include <cwchar>

const wchar_t* AfterProgramName(const wchar_t* line) {
    if (*line == L'"') {
        const wchar_t* close = wcschr(line + 1, L'"');
        return close ? close + 1 : line + wcslen(line);
    }
    while (*line && *line != L' ' && *line != L'\t') ++line;
    return line;
}

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// The backslashes just read, and the quote at `s` that ends them: half of them
// stay; an odd one out makes the quote the text's own. True when it does.
bool TakeQuotedBackslashes(std::wstring& arg, size_t backslashes) {
    arg.resize(arg.size() - backslashes / 2 - backslashes % 2);
    if (backslashes % 2 == 0) return false;
    arg += L'"';
    return true;
}

}  // namespace

std::vector<std::wstring> SplitArguments(const wchar_t* s) {
    std::vector<std::wstring> args;
    while (IsBlank(*s)) ++s;
    if (!*s) return args;
    std::wstring arg;
    size_t backslashes = 0;
    int quotes = 0;  // 1 inside a quoted part; 2 just after one closed
    while (*s) {
        if (IsBlank(*s) && quotes == 0) {
            args.push_back(std::move(arg));
            arg.clear();
            while (IsBlank(*s)) ++s;
            backslashes = 0;
            if (!*s) return args;
        } else if (*s == L'\\') {
            arg += *s++;
            ++backslashes;
        } else if (*s == L'"') {
            if (!TakeQuotedBackslashes(arg, backslashes)) ++quotes;
            ++s;
            backslashes = 0;
            for (; *s == L'"'; ++s)
                if (++quotes == 3) {
                    arg += L'"';
                    quotes = 0;
                }
            if (quotes == 2) quotes = 0;
        } else {
            arg += *s++;
            backslashes = 0;
        }
    }
    args.push_back(std::move(arg));
    return args;
}
