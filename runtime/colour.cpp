#include "colour.h"

namespace rt {

// OLE Automation's OleTranslateColor with no palette, worked out here: loading
// its DLL for these few rules would cost every start of the window.
COLORREF TranslateColor(long oleColour) {
    const auto colour = static_cast<DWORD>(oleColour);
    switch (colour >> 24) {
        case 0x00:  // RGB
        case 0x01:  // a palette index
        case 0x02:  // a palette-relative RGB
            return colour;
        case 0x80: {  // a system colour
            const DWORD index = colour & 0xFFFF;
            return index <= COLOR_MENUBAR ? GetSysColor(static_cast<int>(index)) : 0;
        }
        default:
            return 0;
    }
}

}  // namespace rt
