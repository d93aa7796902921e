// Placement of the caption and the picture on the face, as plain arithmetic.
#pragma once

#include <windows.h>

namespace aero {

struct LayoutInput {
    long W = 0, H = 0;         // client size
    long tw = 0, th = 0;       // measured caption size
    bool hasCaption = false;   // the caption has at least one character
    bool hasPicture = false;   // PictureNormal is set
    long PW = 0, PH = 0;       // drawn picture size
    long alignment = 0;        // PictureAlign; other values put the picture top-left
    long a = 4, b = 4;         // vertical and horizontal inset
};

struct LayoutResult {
    RECT caption;
    RECT picture;  // meaningful only when the input has a picture
};

// Halving truncates toward zero throughout, so odd remainders favour the left and top.
LayoutResult PlaceCaptionAndPicture(const LayoutInput& in);

}  // namespace aero
