// Decimal text of numbers, written and read with the C runtime's own
// conversions (already in the program for formatted text), so that the
// stored form and the property bag need no second, larger set of them.
#pragma once

#include <string>

namespace rt {

// The shortest decimal text that reads back as exactly the same single:
// plain ("0.05", "12") or with an exponent ("1e+10") where that is shorter.
std::wstring SingleToText(float value);

enum class Parsed { Ok, Malformed, OutOfRange };

// Reads the whole of `text` as a plain decimal: an optional minus, digits with
// at most one point, an optional exponent; "inf" and "nan" too. Nothing
// before or after it, no plus sign, no hexadecimal.
Parsed ParseDecimal(const std::string& text, double& value);
Parsed ParseDecimal(const std::string& text, float& value);

}  // namespace rt
