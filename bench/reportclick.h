// Register clicked in the real window, answered with what names the file in
// the registry, the file named a while before the click as a person names it;
// against the system's registration tool as a whole process.
#pragma once

#include <string>
#include <vector>

#include "table.h"

namespace bench {

// Two rows: the registry as it is, the file named a second before each click;
// and with ten thousand more classes, named three seconds before. False (with
// a message on stderr) on any failure.
bool MeasureReportedClicks(int runs, const std::wstring& program, const std::wstring& server,
                           std::vector<Row>& rows);

}  // namespace bench
