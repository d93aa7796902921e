// Register of a 64-bit server through the real window on a 64-bit system,
// from the click to the answer on screen, against the system's own 64-bit
// registration tool as a whole process.
#pragma once

#include <string>
#include <vector>

#include "table.h"

namespace bench {

// Two rows: `runs` alternating runs after a first click, and that first click,
// which also writes the helper out and starts it. False, with a message on
// stderr, on any failure.
// The system's own 64-bit registration tool.
std::wstring RegistrationTool64();

bool MeasureRegister64(int runs, const std::wstring& program, const std::wstring& server,
                       std::vector<Row>& rows);

}  // namespace bench
