// Pointer numbers of a control's MousePointer property and the system cursors
// behind them.
#pragma once

#include <windows.h>

namespace rt {

enum : short {
    PointerDefault = 0,  // the window class's own cursor (the arrow)
    PointerCustom = 99,  // the control's MouseIcon
};

// True for 0, 99 and the standard pointer numbers of StandardCursor.
bool IsPointerNumber(short pointer);

// The shared system cursor of a standard pointer number (1 to 15); null for 0,
// 99 and numbers outside the table. System cursors are never destroyed.
HCURSOR StandardCursor(short pointer);

}  // namespace rt
