// Letting pending messages run, and typing Tab or Shift+Tab to the active window.
#pragma once

#include <windows.h>

#include <vector>

namespace rt {

// Runs every pending message of this thread through the message loop's
// processing (navigation included); the number of loaded forms.
int DoEvents();

// The input events that type Tab (shift false) or Shift+Tab (shift true) given
// whether Shift is held now; a held Shift is lifted around a plain Tab and left
// as it was afterwards.
std::vector<INPUT> TabKeystrokes(bool shift, bool shiftHeld);

// Types Tab or Shift+Tab into the input stream, as if from the keyboard. True
// when the system took every event.
bool SendTabKeystroke(bool shift);

}  // namespace rt
