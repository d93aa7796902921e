// Register through clsReg inside this process against a registration tool's
// whole process for the same file.
#pragma once

#include <string>
#include <vector>

#include "table.h"

namespace bench {

// One row per server file, `runs` alternating runs each. False (with a
// message on stderr) when a registration fails.
bool MeasureRegistration(int runs, const std::vector<std::wstring>& servers, std::vector<Row>& rows);

// The folder of this system's own DLLs and tools, with a trailing backslash.
std::wstring SystemFolder();

}  // namespace bench
