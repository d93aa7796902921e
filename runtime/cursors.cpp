#include "cursors.h"

#include <iterator>

namespace rt {

namespace {

// Index = pointer number. 4 (an "icon" pointer) has no modern shape of its own
// and shows the arrow.
const LPCWSTR kStandardCursors[] = {
    nullptr,         // 0 default
    IDC_ARROW,       // 1 arrow
    IDC_CROSS,       // 2 cross
    IDC_IBEAM,       // 3 text I-beam
    IDC_ARROW,       // 4 icon
    IDC_SIZEALL,     // 5 size (four arrows)
    IDC_SIZENESW,    // 6 size north-east / south-west
    IDC_SIZENS,      // 7 size north / south
    IDC_SIZENWSE,    // 8 size north-west / south-east
    IDC_SIZEWE,      // 9 size west / east
    IDC_UPARROW,     // 10 up arrow
    IDC_WAIT,        // 11 hourglass
    IDC_NO,          // 12 no drop
    IDC_APPSTARTING, // 13 arrow and hourglass
    IDC_HELP,        // 14 arrow and question mark
    IDC_SIZEALL,     // 15 size all
};

}  // namespace

bool IsPointerNumber(short pointer) {
    return pointer == PointerCustom ||
           (pointer >= 0 && pointer < static_cast<short>(std::size(kStandardCursors)));
}

HCURSOR StandardCursor(short pointer) {
    if (pointer <= 0 || pointer >= static_cast<short>(std::size(kStandardCursors))) return nullptr;
    return LoadCursorW(nullptr, kStandardCursors[pointer]);
}

}  // namespace rt
