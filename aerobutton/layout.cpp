#include "layout.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "state.h"

namespace aero {
namespace {

// Stored picture sizes are unchecked and may be near the 32-bit limits: place
// in 64 bits and saturate only when the rectangle is handed back.
struct Box {
    int64_t left, top, right, bottom;
};

void Move(Box& r, int64_t dx, int64_t dy) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
}

LONG Saturate(int64_t v) {
    return static_cast<LONG>(std::clamp<int64_t>(v, LONG_MIN, LONG_MAX));
}

RECT ToRect(const Box& r) {
    return RECT{Saturate(r.left), Saturate(r.top), Saturate(r.right), Saturate(r.bottom)};
}

}  // namespace

LayoutResult PlaceCaptionAndPicture(const LayoutInput& in) {
    const int64_t W = in.W, H = in.H, tw = in.tw, th = in.th, PW = in.PW, PH = in.PH, a = in.a, b = in.b;
    Box T{0, 0, tw, th};
    Move(T, (W - tw) / 2, (H - th) / 2);
    LayoutResult out{ToRect(T), RECT{}};
    if (!in.hasPicture) return out;

    Box P{0, 0, PW, PH};
    const bool caption = in.hasCaption;
    const int64_t g = caption ? 2 : 0;
    switch (in.alignment) {
    case Center:
        Move(P, (W - PW) / 2, (H - PH) / 2);
        break;
    case BottomEdge:
        Move(P, (W - PW) / 2, 0);
        Move(T, 0, -T.top);
        Move(P, 0, H - PH - a - P.top);
        if (caption) {
            Move(T, 0, P.top - T.bottom);
            const int64_t s = T.top - a;
            if (s > 1) Move(T, 0, -(s / 2));
        }
        break;
    case BelowCaption:
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
    case LeftEdge:
        Move(P, 0, (H - PH) / 2);
        Move(T, -T.left, 0);
        Move(P, b, 0);
        if (caption) {
            Move(T, P.right + g, 0);
            const int64_t s = W - b - T.right;
            if (s > 1) Move(T, s / 2, 0);
        }
        break;
    case LeftOfCaption:
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
    case RightEdge:
        Move(P, 0, (H - PH) / 2);
        Move(T, -T.left, 0);
        Move(P, W - PW - b, 0);
        if (caption) {
            Move(T, P.left - g - T.right, 0);
            const int64_t s = T.left - b;
            if (s > 1) Move(T, -(s / 2), 0);
        }
        break;
    case RightOfCaption:
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
    case TopEdge:
        Move(P, (W - PW) / 2, 0);
        Move(T, 0, -T.top);
        Move(P, 0, a);
        if (caption) {
            Move(T, 0, P.bottom - T.top);
            const int64_t s = H - T.bottom - a;
            if (s > 1) Move(T, 0, s / 2);
        }
        break;
    case AboveCaption:
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
    out.caption = ToRect(T);
    out.picture = ToRect(P);
    return out;
}

}  // namespace aero
