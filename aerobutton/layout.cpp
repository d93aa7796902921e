#include "layout.h"

namespace aero {
namespace {

void Move(RECT& r, long dx, long dy) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
}

}  // namespace

LayoutResult PlaceCaptionAndPicture(const LayoutInput& in) {
    const long W = in.W, H = in.H, tw = in.tw, th = in.th, PW = in.PW, PH = in.PH, a = in.a, b = in.b;
    RECT T{0, 0, tw, th};
    Move(T, (W - tw) / 2, (H - th) / 2);
    LayoutResult out{T, RECT{}};
    if (!in.hasPicture) return out;

    RECT P{0, 0, PW, PH};
    const bool caption = in.hasCaption;
    const long g = caption ? 2 : 0;
    switch (in.alignment) {
    case 0:  // Center
        Move(P, (W - PW) / 2, (H - PH) / 2);
        break;
    case 1:  // BottomEdge
        Move(P, (W - PW) / 2, 0);
        Move(T, 0, -T.top);
        Move(P, 0, H - PH - a - P.top);
        if (caption) {
            Move(T, 0, P.top - T.bottom);
            const long s = T.top - a;
            if (s > 1) Move(T, 0, -(s / 2));
        }
        break;
    case 2:  // BelowCaption
        Move(P, (W - PW) / 2, 0);
        Move(T, 0, -T.top);
        if (!caption) {
            Move(P, 0, (H - PH) / 2);
        } else {
            Move(P, 0, th);
            Move(P, 0, (H - th - PH) / 2);
            Move(T, 0, (H - th - PH) / 2);
        }
        break;
    case 3:  // LeftEdge
        Move(P, 0, (H - PH) / 2);
        Move(T, -T.left, 0);
        Move(P, b, 0);
        if (caption) {
            Move(T, P.right + g, 0);
            const long s = W - b - T.right;
            if (s > 1) Move(T, s / 2, 0);
        }
        break;
    case 4:  // LeftOfCaption
        Move(P, 0, (H - PH) / 2);
        Move(T, -T.left, 0);
        if (!caption) {
            Move(P, (W - PW) / 2, 0);
        } else {
            Move(T, PW + g, 0);
            Move(P, (W - PW - g - tw) / 2, 0);
            Move(T, (W - PW - g - tw) / 2, 0);
        }
        break;
    case 5:  // RightEdge
        Move(P, 0, (H - PH) / 2);
        Move(T, -T.left, 0);
        Move(P, W - PW - b, 0);
        if (caption) {
            Move(T, P.left - g - T.right, 0);
            const long s = T.left - b;
            if (s > 1) Move(T, -(s / 2), 0);
        }
        break;
    case 6:  // RightOfCaption
        Move(P, 0, (H - PH) / 2);
        Move(T, -T.left, 0);
        if (!caption) {
            Move(P, (W - PW) / 2, 0);
        } else {
            Move(P, tw + g, 0);
            Move(P, (W - tw - g - PW) / 2, 0);
            Move(T, (W - tw - g - PW) / 2, 0);
        }
        break;
    case 7:  // TopEdge
        Move(P, (W - PW) / 2, 0);
        Move(T, 0, -T.top);
        Move(P, 0, a);
        if (caption) {
            Move(T, 0, P.bottom - T.top);
            const long s = H - T.bottom - a;
            if (s > 1) Move(T, 0, s / 2);
        }
        break;
    case 8:  // AboveCaption
        Move(P, (W - PW) / 2, 0);
        Move(T, 0, -T.top);
        if (!caption) {
            Move(P, 0, (H - PH) / 2);
        } else {
            Move(T, 0, PH);
            Move(P, 0, (H - PH - th) / 2);
            Move(T, 0, (H - PH - th) / 2);
        }
        break;
    default:  // the picture stays top-left, the caption centred
        break;
    }
    out.caption = T;
    out.picture = P;
    return out;
}

}  // namespace aero
