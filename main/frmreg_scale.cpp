// The main window at the display's scale: its outer size, shape and skin, set
// at load and again when it moves to a screen of another scale. Its icons come
// with the window at load, and again at a change of scale.
#include "frmreg.h"
#include "modfunctions.h"
#include "resource_names.h"
#include "runtime/dpi.h"
#include "skin.h"

rt::PictureRef LinkCursor(HINSTANCE module) {
    // Its own copy (not shared), so that the picture object may destroy it.
    const int size = rt::MetricForDpi(SM_CXCURSOR, rt::CurrentDpi());
    HANDLE cursor = LoadImageW(module, res::HandCursor, IMAGE_CURSOR, size, size, LR_DEFAULTCOLOR);
    return rt::StdPicture::FromIcon(static_cast<HICON>(cursor));
}

void frmReg::Form_DpiChanged() {
    FitToScale();
    modFunctions::SetWindowIcon(hWnd(), res::MainIcon, true);
    lblLink_->SetMouseIcon(LinkCursor(GetModuleHandleW(nullptr)));
}

void frmReg::FitToScale() {
    form_.SetOuterSize(kOuterWidthTwips, OuterHeightTwips(os_->WindowsID()));
    modFunctions::MakeRoundedWindow(hWnd());
    ApplySkin();
    // The strip takes its picture's own size, so that the picture's right edge shows.
    if (rt::PictureRef strip = imgNormal_->Picture()) {
        picN_->SetWidth(strip->PixelWidth());
        picN_->SetHeight(strip->PixelHeight());
    }
    PlaceStrip();
}

void frmReg::ApplySkin() {
    const int dpi = rt::CurrentDpi();
    RECT client{};
    GetClientRect(hWnd(), &client);
    form_.SetPicture(skin::ToPicture(skin::DrawBackground(dpi, SIZE{client.right, client.bottom})));
    using skin::Look;
    const struct {
        rt::ImageZone* image;
        Look minimise;
        Look close;
    } strip[] = {
        {imgNormal_, Look::Rest, Look::Rest}, {imgMinH_, Look::Hot, Look::Rest},
        {imgMinD_, Look::Down, Look::Rest},   {imgCloseH_, Look::Rest, Look::Hot},
        {imgCloseD_, Look::Rest, Look::Down},
    };
    for (const auto& s : strip)
        s.image->SetPicture(skin::ToPicture(skin::DrawStrip(s.minimise, s.close, dpi)));
}
