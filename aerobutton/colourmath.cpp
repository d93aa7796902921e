#include "colourmath.h"

#include "runtime/colour.h"  // rt::TranslateColor
#include "runtime/units.h"

namespace aero {
namespace {

long Round(double v) { return rt::RoundHalfEven(v); }

// The product is formed in double from the single-precision factor, as every
// worked value of the palette and the faces assumes.
long Lerp(long from, long to, float t) { return Round(from + static_cast<double>(t) * (to - from)); }

}  // namespace

ColorChannels SplitColor(long c) { return {c & 255, (c / 256) & 255, (c / 65536) & 255}; }

long MakeRGB(long r, long g, long b) { return r + 256 * g + 65536 * b; }

long BlendColors(long c1, long c2, float t) {
    ColorChannels a = SplitColor(c1), b = SplitColor(c2);
    return MakeRGB(Lerp(a.Red, b.Red, t), Lerp(a.Green, b.Green, t), Lerp(a.Blue, b.Blue, t));
}

long ShiftColor(long c, float a) {
    const double d = static_cast<double>(a) * 255;
    auto shift = [&](long v) {
        long r = Round(v + d);
        if (a > 0) return r > 255 ? 255L : r;
        return r < 0 ? 0L : r;
    };
    ColorChannels ch = SplitColor(c);
    return MakeRGB(shift(ch.Red), shift(ch.Green), shift(ch.Blue));
}

float ClampSingle(float v, long lo, long hi) {
    if (v > static_cast<float>(hi)) return static_cast<float>(hi);
    if (v < static_cast<float>(lo)) return static_cast<float>(lo);
    return v;
}

uint8_t BlendByte(uint8_t background, uint8_t picture, float alpha) {
    return static_cast<uint8_t>(Lerp(background, picture, alpha));
}

void BlendPixel(const uint8_t* background, const uint8_t* picture, float alpha, uint8_t* out) {
    for (int k = 0; k < 3; ++k) out[k] = BlendByte(background[k], picture[k], alpha);
}

Palette ComputePalette(long backColor, long foreColor, long maskColor) {
    Palette p;
    p.clrFace = rt::TranslateColor(backColor);
    p.clrDownFace = MakeRGB(196, 229, 246);
    p.clrText = rt::TranslateColor(foreColor);
    p.clrDisabledFace = BlendColors(p.clrFace, MakeRGB(255, 255, 255), 0.8f);
    p.clrDisabledText = BlendColors(p.clrText, MakeRGB(255, 255, 255), 0.6f);
    p.clrHotLower = MakeRGB(217, 240, 252);
    p.clrMask = rt::TranslateColor(maskColor);
    p.clrLightGrey = MakeRGB(242, 242, 242);
    return p;
}

GradientRows PlanGradient(long topColour, long bottomColour, float percent, long y1, long y2) {
    GradientRows plan{};
    percent = ClampSingle(percent, 0, 100);
    plan.top = SplitColor(topColour);
    plan.bottom = SplitColor(bottomColour);
    plan.mid = {Lerp(plan.top.Red, plan.bottom.Red, 0.5f), Lerp(plan.top.Green, plan.bottom.Green, 0.5f),
                Lerp(plan.top.Blue, plan.bottom.Blue, 0.5f)};
    const float span = static_cast<float>(static_cast<double>(percent) * (y2 - y1 - 1) / 100.0);
    plan.split = static_cast<float>(static_cast<double>(span) + y1);
    if (plan.split == 0.0f) plan.split = 1.0f;
    plan.y2 = y2;
    return plan;
}

long GradientRowColour(const GradientRows& plan, long y) {
    const double s = plan.split;
    const ColorChannels* from = &plan.top;
    const ColorChannels* to = &plan.mid;
    float t;
    if (s >= y) {
        // Counted from the control's top edge, not from the band's first row.
        t = static_cast<float>(y / s);
    } else {
        t = static_cast<float>((y - s) / (plan.y2 - s));
        from = &plan.mid;
        to = &plan.bottom;
    }
    return MakeRGB(Lerp(from->Red, to->Red, t), Lerp(from->Green, to->Green, t), Lerp(from->Blue, to->Blue, t));
}

}  // namespace aero
