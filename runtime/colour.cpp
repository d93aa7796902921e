#include "colour.h"

#include <olectl.h>

namespace rt {

COLORREF TranslateColor(long oleColour) {
    COLORREF rgb = 0;
    if (FAILED(OleTranslateColor(static_cast<OLE_COLOR>(oleColour), nullptr, &rgb))) return 0;
    return rgb;
}

}  // namespace rt
