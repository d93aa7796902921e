#include "backdrop.h"

#include "colour.h"
#include "gdi.h"

namespace rt {

void DrawPicture(HDC dc, const StdPicture& picture, int x, int y) {
    if (HBITMAP bitmap = picture.Bitmap()) {
        gdi::MemoryDC source(dc);
        if (!source.Get()) return;
        gdi::Selection select(source.Get(), bitmap);
        BitBlt(dc, x, y, picture.PixelWidth(), picture.PixelHeight(), source.Get(), 0, 0, SRCCOPY);
    } else if (HICON icon = picture.Icon()) {
        DrawIconEx(dc, x, y, icon, picture.PixelWidth(), picture.PixelHeight(), 0, nullptr, DI_NORMAL);
    }
}

void PaintBackdrop(HDC dc, const RECT& area, long oleColour, const StdPicture* picture) {
    gdi::Brush brush = gdi::SolidBrush(TranslateColor(oleColour));
    FillRect(dc, &area, brush.Get());
    if (picture) DrawPicture(dc, *picture, 0, 0);
}

void PaintParentBackground(HWND child, HDC dc) {
    HWND parent = GetParent(child);
    if (!parent) return;
    POINT origin{0, 0};
    MapWindowPoints(child, parent, &origin, 1);
    POINT old{};
    SetWindowOrgEx(dc, origin.x, origin.y, &old);
    SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SetWindowOrgEx(dc, old.x, old.y, nullptr);
}

}  // namespace rt
