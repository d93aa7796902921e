#include "paint.h"

#include "colourmath.h"
#include "runtime/units.h"

namespace aero {
namespace {

constexpr float kHalf = 50.0f;

const long kHotUpperTop = MakeRGB(234, 246, 253);
const long kHotLowerTop = MakeRGB(190, 230, 253);
const long kHotLowerBottom = MakeRGB(167, 217, 245);
const long kDownUpperTop = MakeRGB(229, 244, 252);
const long kDownLowerTop = MakeRGB(152, 209, 239);
const long kDownLowerBottom = MakeRGB(104, 179, 219);
const long kDownShadow = MakeRGB(158, 176, 186);
const long kBorderActive = MakeRGB(60, 127, 177);
const long kFocusRing = MakeRGB(72, 216, 251);
const long kBorderPressed = MakeRGB(44, 98, 139);
const long kBorderPlain = MakeRGB(112, 112, 112);
const long kBorderDisabled = MakeRGB(173, 178, 181);
const long kWhite = MakeRGB(255, 255, 255);

// Upper band rows 2..M, then lower band rows M..H-2 over it.
void TwoBands(const Canvas& c, long upperTop, long upperBottom, long lowerTop, long lowerBottom) {
    const long M = MiddleRow(c.H);
    DrawGradient(c, upperTop, upperBottom, kHalf, 0, 2, c.W - 1, M);
    DrawGradient(c, lowerTop, lowerBottom, kHalf, 0, M, c.W - 1, c.H - 2);
}

bool SquaresLeft(long shape) { return shape == SquareLeft || shape == Square; }
bool SquaresRight(long shape) { return shape == SquareRight || shape == Square; }

}  // namespace

long MiddleRow(long H) { return rt::RoundHalfEven(H / 2.0); }

long FaceState(long state, const AeroButtonState& s) {
    if (s.CheckBoxMode && s.Value && s.Enabled && state == Down) return Normal;
    return state;
}

Face ChooseFace(long F, bool value) {
    switch (F) {
    case Normal: return value ? Face::Checked : Face::Normal;
    case Hot: return value ? Face::Checked : Face::Hot;
    case Down: return Face::Down;
    case Disabled: return Face::Disabled;
    default: return value ? Face::Checked : Face::Normal;
    }
}

void DrawFace(const Canvas& c, Face face, const Palette& p) {
    switch (face) {
    case Face::Checked:
        DrawGradient(c, ShiftColor(p.clrFace, -0.1f), p.clrLightGrey, kHalf, 0, 0, c.W - 1, c.H - 1);
        break;
    case Face::Normal:
        TwoBands(c, ShiftColor(p.clrFace, 0.08f), ShiftColor(p.clrFace, 0.02f), p.clrFace,
                 ShiftColor(p.clrFace, -0.1f));
        break;
    case Face::Hot:
        TwoBands(c, kHotUpperTop, p.clrHotLower, kHotLowerTop, kHotLowerBottom);
        break;
    case Face::Down:
        FillButton(c, p.clrDownFace);
        TwoBands(c, kDownUpperTop, p.clrDownFace, kDownLowerTop, kDownLowerBottom);
        DrawLine(c, kDownShadow, 1, 1, 1, c.H);
        DrawLine(c, kDownShadow, c.W - 2, 1, c.W - 2, c.H);
        DrawLine(c, kDownShadow, 1, 1, c.W - 1, 1);
        break;
    case Face::Disabled:
        FillButton(c, p.clrDisabledFace);
        break;
    }
}

Frame ChooseFrame(long F, const AeroButtonState& s) {
    if (s.nState == Disabled) return {kBorderDisabled, false, 0};
    if ((F != Down && s.bMouseDown && !s.bIsHot) || s.nState == Hot) return {kBorderActive, true, kWhite};
    if (s.bHostActive && s.nState != Down && (s.bHasFocus || s.bDisplayAsDefault))
        return {kBorderActive, true, kFocusRing};
    if (s.nState == Down) return {kBorderPressed, false, 0};
    return {kBorderPlain, true, kWhite};
}

void DrawFrame(const Canvas& c, const Frame& frame, long shape) {
    if (frame.ring) DrawBox(c, frame.ringColour, 1, 1, c.W - 1, c.H - 1);
    DrawBox(c, frame.border, 0, 0, c.W, c.H);
    const COLORREF corner = static_cast<COLORREF>(frame.border);
    if (!SquaresLeft(shape)) {
        SetPixelV(c.dc, 1, 1, corner);
        SetPixelV(c.dc, 1, c.H - 2, corner);
    }
    if (!SquaresRight(shape)) {
        SetPixelV(c.dc, c.W - 2, 1, corner);
        SetPixelV(c.dc, c.W - 2, c.H - 2, corner);
    }
}

rt::gdi::Region BuildButtonRegion(long W, long H, long shape, int ellipseW, int ellipseH) {
    rt::gdi::Region region(CreateRoundRectRgn(0, 0, W + 1, H + 1, ellipseW, ellipseH));
    const long half = rt::RoundHalfEven(W / 2.0);
    if (SquaresLeft(shape)) {
        rt::gdi::Region left(CreateRectRgn(0, 0, half, H + 1));
        CombineRgn(region.Get(), region.Get(), left.Get(), RGN_OR);
    }
    if (SquaresRight(shape)) {
        rt::gdi::Region right(CreateRectRgn(half, 0, W + 1, H + 1));
        CombineRgn(region.Get(), region.Get(), right.Get(), RGN_OR);
    }
    return region;
}

}  // namespace aero
