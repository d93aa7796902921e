// OLE colours: either 0x00BBGGRR or a system colour (0x80000000 + index).
#pragma once

#include <windows.h>

namespace rt {

// The RGB value of an OLE colour; system colours follow the desktop scheme.
// A colour that cannot be translated gives 0 (black).
COLORREF TranslateColor(long oleColour);

}  // namespace rt
