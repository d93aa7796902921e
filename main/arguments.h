// A command line's arguments split as the system's own splitter splits them,
// without loading the shell's DLL into a script's run for it.
#pragma once

#include <string>
#include <vector>

// The text after the program's own name: up to the closing quote when the
// name is quoted, else up to the first blank, as the system reads it.
const wchar_t* AfterProgramName(const wchar_t* line);

// The arguments in `text` (what follows the program's name): blanks and tabs
// separate them outside quotes; 2n backslashes before a quote are n and the
// quote opens or closes; 2n+1 are n and a quote of the text; a third quote in
// a row is a quote of the text; other backslashes are as they stand.
std::vector<std::wstring> SplitArguments(const wchar_t* text);
