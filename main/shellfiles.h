// Server files handed over by the shell: as arguments ("Open with", "Send to",
// files dropped on the program's icon, a script) or dropped on the window.
#pragma once

#include <string>
#include <vector>

// The arguments after the program on `commandLine` (the whole line, program
// first), split as the system splits them.
std::vector<std::wstring> CommandArguments(const wchar_t* commandLine);

// One argument as a file: a relative path that names a file or folder from
// the current folder is made full; anything else stays as given.
std::wstring ArgumentFile(const std::wstring& path);

// The files among `args`; empty ones are skipped. A relative path that names
// a file or folder from the current folder is made full; anything else stays
// as given, for Register to judge.
std::vector<std::wstring> ArgumentFiles(const std::vector<std::wstring>& args);
inline std::vector<std::wstring> ArgumentFiles(const wchar_t* commandLine) {
    return ArgumentFiles(CommandArguments(commandLine));
}

// The path field's text for those files: what the Open dialog's selection of
// them gives (one path as it is, several each in quotes, blank-separated).
std::wstring FieldTextForFiles(const std::vector<std::wstring>& files);
