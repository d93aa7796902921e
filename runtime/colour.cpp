#include "colour.h"

#include <olectl.h>

#include "ondemand.h"

namespace rt {

COLORREF TranslateColor(long oleColour) {
    COLORREF rgb = 0;
    if (FAILED(rt::ondemand::OleTranslateColor(static_cast<OLE_COLOR>(oleColour), nullptr, &rgb))) return 0;
    return rgb;
}

}  // namespace rt
