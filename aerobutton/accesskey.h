// The access key a caption marks with a single ampersand.
#pragma once

#include <string>

namespace aero {

// The lower-cased letter after the last single "&" of the caption, or empty.
// "&&" is a literal ampersand, and an "&" in the last position marks nothing.
std::wstring GetAccessKey(const std::wstring& caption);

}  // namespace aero
