#include "primitives.h"

#include "colourmath.h"
#include "runtime/gdi.h"
#include "runtime/units.h"

namespace aero {

void FillButton(const Canvas& canvas, long colour) {
    rt::gdi::Brush brush = rt::gdi::SolidBrush(static_cast<COLORREF>(colour));
    RECT all{0, 0, canvas.W, canvas.H};
    FillRect(canvas.dc, &all, brush.Get());
}

void DrawLine(const Canvas& canvas, long colour, long x1, long y1, long x2, long y2) {
    // LineTo leaves out the end point; stretch the line by one so it is drawn.
    if (x1 == x2) ++y2;
    if (y1 == y2) ++x2;
    // The DC's own pen in the row's colour: a face draws some 25 rows, and a pen
    // made and deleted for each cost more than the drawing itself.
    rt::gdi::Selection use(canvas.dc, GetStockObject(DC_PEN));
    SetDCPenColor(canvas.dc, static_cast<COLORREF>(colour));
    MoveToEx(canvas.dc, x1, y1, nullptr);
    LineTo(canvas.dc, x2, y2);
}

void DrawBox(const Canvas& canvas, long colour, long left, long top, long right, long bottom) {
    rt::gdi::Pen pen(CreatePen(PS_SOLID, 1, static_cast<COLORREF>(colour)));
    rt::gdi::Selection use(canvas.dc, pen.Get());
    Rectangle(canvas.dc, left, top, right, bottom);
}

void DrawGradient(const Canvas& canvas, long top, long bottom, float percent, long x1, long y1, long x2,
                  long y2) {
    if (x2 == -1) x2 = canvas.W - 1;
    if (y2 == -1) y2 = canvas.H - 1;
    x2 = rt::RoundHalfEven(ClampSingle(static_cast<float>(x2), x1, x2));
    y2 = rt::RoundHalfEven(ClampSingle(static_cast<float>(y2), y1, y2));
    const GradientRows plan = PlanGradient(top, bottom, percent, y1, y2);
    for (long y = y1; y <= y2; ++y) {
        const long colour = GradientRowColour(plan, y);
        if (x1 == x2)
            SetPixelV(canvas.dc, x1, y, static_cast<COLORREF>(colour));
        else
            DrawLine(canvas, colour, x1, y, x2, y);
    }
}

}  // namespace aero
