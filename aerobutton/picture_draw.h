// Drawing one picture (bitmap or icon) onto the painted face: scaled to its
// box, a key colour made transparent, blended at an opacity.
#pragma once

#include <windows.h>

#include "primitives.h"
#include "runtime/picture.h"

namespace aero {

struct PictureSource {
    rt::PictureType type;
    HANDLE handle;
    long picW;  // the picture's own size in pixels
    long picH;
};

struct PictureDrawing {
    RECT box;             // rcPicture
    bool natural;         // PictureSize is Natural: a clipped part is copied one to one, not scaled
    bool hasKey;          // pixels of the key colour show the face
    long key;
    float alpha;          // 1 draws opaque
};

// The box is clipped to the control whatever its size. Icons are rendered over
// a background of the key colour, so that whatever they leave transparent takes
// the key and shows the face.
void DrawPicture(const Canvas& canvas, const PictureSource& picture, const PictureDrawing& how);

}  // namespace aero
