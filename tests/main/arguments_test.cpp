#include "main/arguments.h"

#include <windows.h>
// The platform headers below build on windows.h.
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What the system's own splitter makes of the same arguments behind a program name.
std::vector<std::wstring> SystemSplit(const std::wstring& line) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> split;
    for (int i = 1; args && i < count; ++i) split.emplace_back(args[i]);
    LocalFree(args);
    return split;
}

// Every text of up to six characters from the ones the rules are about, and a
// few longer ones, behind a plain and a quoted program name: some 16,000
// texts, each split both ways.
TEST(SplitArguments, SplitsEveryShortLineAsTheSystemDoes) {
    const std::wstring alphabet = L"a\\\" \t";
    std::vector<std::wstring> texts{L""};
    for (size_t length = 1, first = 0; length <= 6; ++length) {
        const size_t last = texts.size();
        for (size_t i = first; i < last; ++i)
            for (wchar_t c : alphabet.substr(0, length <= 5 ? 5 : 4)) texts.push_back(texts[i] + c);
        first = last;
    }
    // Longer lines a script writes: paths with blanks, folders ending in a backslash, switches.
    for (const wchar_t* line : {L"/s C:\\t\\probe.dll a\\\"b.dll", L"/s \"C:\\Program Files\\x.dll\"",
                                L"\"C:\\dir\\\\\" next", L"/i:\"a b\" /n  x.ocx ", L"%SystemRoot%\\x.dll"})
        texts.push_back(line);
    for (const std::wstring& text : texts)
        for (const std::wstring& line : {L"prog " + text, L"\"C:\\a b\\prog.exe\" " + text}) {
            ASSERT_EQ(SplitArguments(AfterProgramName(line.c_str())), SystemSplit(line)) << line;
        }
}

}  // namespace
