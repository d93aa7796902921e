// Register through clsReg inside this process against a registration tool's
// whole process for the same file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "table.h"

namespace bench {

// One row per server file, `runs` alternating runs each. False (with a
// message on stderr) when a registration fails.
bool MeasureRegistration(int runs, const std::vector<std::wstring>& servers, std::vector<Row>& rows);

// `program` and `tool` run as whole processes with `arguments` (the same for
// both), `runs` times each, alternating, after one unmeasured run of each;
// each must end with `expectedExit`. Into `row`; false on any other end.
// `logged`: their output goes to a log, else to nowhere. `before`, when not
// empty, is a command run to its end, unmeasured, before every run of either.
bool MeasureWholeProcesses(int runs, const std::wstring& program, const std::wstring& tool,
                           const std::wstring& arguments, DWORD expectedExit, Row& row, bool logged = true,
                           const std::wstring& before = {});

// The folder of this system's own DLLs and tools, with a trailing backslash.
std::wstring SystemFolder();

}  // namespace bench
