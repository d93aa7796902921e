#include "aerobutton.h"

#include "caption.h"
#include "colourmath.h"
#include "layout.h"
#include "paint.h"
#include "picture_draw.h"
#include "runtime/units.h"

namespace aero {
namespace {

constexpr int kRegionEllipse = 3;
constexpr long kInset = 4;
constexpr long kMinimumSize = 15;
constexpr float kDisabledOpacity = 0.2f;
// Icons leave their transparent area in this colour when no mask colour is in force.
constexpr long kIconKey = 0;

bool HasRegion(HWND window, HRGN region) {
    rt::gdi::Region current(CreateRectRgn(0, 0, 0, 0));
    return current && GetWindowRgn(window, current.Get()) != ERROR && EqualRgn(current.Get(), region);
}

}  // namespace

AeroButton::AeroButton() : rt::UserControl(static_cast<rt::UserControlEvents&>(*this)) {}

// The surface raises Terminate while this object's state is still whole.
AeroButton::~AeroButton() { Destroy(); }

Canvas AeroButton::MakeCanvas() const { return Canvas{hDC(), s_.nWidth, s_.nHeight}; }

void AeroButton::RefreshColors() { s_.palette = ComputePalette(s_.BackColor, s_.ForeColor, s_.MaskColor); }

void AeroButton::Redraw(long state, bool force) {
    if (s_.bHidden) return;
    if (state == kKeepState) state = s_.nState;
    if (!force && state == s_.nState && s_.bHasFocus == s_.bFocusPainted) return;
    Cls();
    s_.bFocusPainted = s_.bHasFocus;
    const bool changed = state != s_.nState;
    s_.nState = state;
    PaintButton(state);
    // Pressed, released, enabled or disabled: a screen reader follows the face.
    if (changed) rt::NotifyAccessibility(hWnd(), EVENT_OBJECT_STATECHANGE);
}

void AeroButton::Refresh() {
    s_.bLayoutDirty = true;
    Redraw(kKeepState, true);
}

void AeroButton::PaintButton(long& state) {
    if (s_.bLayoutDirty) {
        SetButtonRegion(kRegionEllipse, kRegionEllipse);
        CalcLayout(kInset, kInset);
    }
    state = FaceState(state, s_);
    const long F = state;
    const Canvas canvas = MakeCanvas();
    DrawFace(canvas, ChooseFace(F, s_.Value), s_.palette);

    if (s_.nState == Disabled) {
        if (s_.PictureNormal) DrawPicture(s_.PictureNormal);
        DrawCaption(s_.palette.clrDisabledText);
    } else {
        DrawStatePicture();
        DrawCaption(s_.palette.clrText);
    }
    DrawFrame(canvas, ChooseFrame(F, s_), s_.ButtonShape);
}

void AeroButton::SetButtonRegion(int ellipseW, int ellipseH) {
    rt::gdi::Region region = BuildButtonRegion(s_.nWidth, s_.nHeight, s_.ButtonShape, ellipseW, ellipseH);
    // The same region again would only cost the window a frame change; the repaint comes anyway.
    if (HasRegion(hWnd(), region.Get())) return;
    // The window owns the region from here on.
    if (SetWindowRgn(hWnd(), region.Get(), TRUE)) region.Release();
}

void AeroButton::CalcLayout(long a, long b) {
    s_.bLayoutDirty = false;
    LayoutInput in;
    in.W = s_.nWidth;
    in.H = s_.nHeight;
    const SIZE text = MeasureCaption(hDC(), s_.Caption, in.W, in.H, s_.bIsNT);
    in.tw = text.cx;
    in.th = text.cy;
    in.hasCaption = !s_.Caption.empty();
    in.hasPicture = s_.PictureNormal != nullptr;
    in.PW = s_.PictureSizeW;
    in.PH = s_.PictureSizeH;
    in.alignment = s_.PictureAlignment;
    in.a = a;
    in.b = b;
    const LayoutResult out = PlaceCaptionAndPicture(in);
    s_.rcCaption = out.caption;
    if (in.hasPicture) s_.rcPicture = out.picture;
}

void AeroButton::DrawCaption(long colour) {
    DrawCaptionText(hDC(), s_.Caption, s_.rcCaption, colour, s_.bIsNT);
}

void AeroButton::DrawStatePicture() {
    if (!s_.PictureNormal) return;
    if (s_.PictureHot && s_.nState == Hot) {
        DrawPicture(s_.PictureHot);
    } else if (s_.nState == Down || s_.Value) {
        DrawPicture(s_.PictureDown ? s_.PictureDown : s_.PictureHot ? s_.PictureHot : s_.PictureNormal);
    } else {
        DrawPicture(s_.PictureNormal);
    }
}

void AeroButton::DrawPicture(const rt::PictureRef& picture) {
    if (!picture) return;
    PictureSource source{picture->Type(), picture->Handle(),
                         rt::RoundHalfEven(ScaleX(static_cast<double>(picture->Width()))),
                         rt::RoundHalfEven(ScaleY(static_cast<double>(picture->Height())))};
    PictureDrawing how{};
    how.box = s_.rcPicture;
    how.natural = s_.PictureSize == Natural;
    if (s_.UseMaskColor) {
        how.hasKey = true;
        how.key = static_cast<long>(s_.palette.clrMask);
    } else if (picture->Type() != rt::PictureType::Bitmap) {
        how.hasKey = true;
        how.key = kIconKey;
    }
    how.alpha = s_.nState == Disabled ? kDisabledOpacity : s_.PictureOpacity;
    aero::DrawPicture(MakeCanvas(), source, how);
}

void AeroButton::Initialize() {
    s_.bIsNT = IsWinNT();
    s_.bPropsLoaded = false;
}

void AeroButton::Resize() {
    RECT client{};
    GetClientRect(hWnd(), &client);
    s_.nWidth = client.right;
    s_.nHeight = client.bottom;
    if (s_.nHeight >= kMinimumSize && s_.nWidth >= kMinimumSize) {
        s_.bLayoutDirty = true;
        if (AmbientUserMode() || s_.bPropsLoaded) Redraw(kKeepState, true);
        return;
    }
    // Each size change raises Resize again, and that pass repaints.
    if (s_.nHeight < kMinimumSize) SetSize(s_.nWidth, kMinimumSize);
    if (s_.nWidth < kMinimumSize) SetSize(kMinimumSize, ScaleHeight());
}

void AeroButton::Show() { s_.bHidden = false; }
void AeroButton::Hide() { s_.bHidden = true; }

}  // namespace aero
