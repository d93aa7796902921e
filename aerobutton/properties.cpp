// The public properties: each setter stores first, then repaints and tells the
// host which stored key changed.
#include <climits>
#include <utility>

#include "accesskey.h"
#include "aerobutton.h"
#include "propertynames.h"
#include "runtime/colour.h"
#include "runtime/errors.h"
#include "runtime/units.h"

namespace aero {
namespace {

constexpr long kCustomPointer = 99;

// The face painted again in its current state.
void Repaint(AeroButton& button) {
    button.Redraw(kKeepState, true);
}

// Pictures are compared in whole HIMETRIC units, as they report their size.
bool SameSize(const rt::StdPicture& a, const rt::StdPicture& b) {
    return a.Width() == b.Width() && a.Height() == b.Height();
}

// The down and hot pictures exist only beside a normal one; without it the
// picture becomes the normal one instead (false: nothing more to do). A size
// other than the normal picture's makes the drawn size custom, kept from it.
bool KeepBesideNormal(AeroButton& button, rt::PictureRef& picture) {
    if (!picture) return true;
    if (!button.PictureNormal()) {
        button.SetPictureNormal(std::move(picture));
        return false;
    }
    if (button.PictureSize() == Natural && !SameSize(*picture, *button.PictureNormal()))
        button.SetPictureSize(Custom);
    return true;
}

}  // namespace

long AeroButton::BackColor() const {
    return s_.BackColor;
}
void AeroButton::SetBackColor(long colour) {
    s_.BackColor = colour;
    RefreshColors();
    Repaint(*this);
    PropertyChanged(prop::BackColor);
}

long AeroButton::ButtonShape() const {
    return s_.ButtonShape;
}
void AeroButton::SetButtonShape(long shape) {
    s_.ButtonShape = shape;
    Refresh();
    PropertyChanged(prop::ButtonShape);
}

std::wstring AeroButton::TipText() const {
    return s_.TipText;
}
void AeroButton::SetTipText(const std::wstring& text) {
    s_.TipText = text;
    PropertyChanged(prop::TipText);
    Refresh();
}

std::wstring AeroButton::Caption() const {
    return s_.Caption;
}
void AeroButton::SetCaption(const std::wstring& caption) {
    s_.Caption = caption;
    SetAccessKeys(GetAccessKey(caption));
    Refresh();
    rt::NotifyAccessibility(hWnd(), EVENT_OBJECT_NAMECHANGE);
    PropertyChanged(prop::Caption);
}

bool AeroButton::CheckBoxMode() const {
    return s_.CheckBoxMode;
}
void AeroButton::SetCheckBoxMode(bool on) {
    s_.CheckBoxMode = on;
    // A push button cannot stay checked.
    if (!on && s_.Value) {
        s_.Value = false;
        PropertyChanged(prop::Value);
    }
    Repaint(*this);
    PropertyChanged(prop::CheckBox);
}

void AeroButton::SetEnabled(bool enabled) {
    s_.Enabled = enabled;
    SetWindowEnabled(enabled);
    Redraw(!enabled ? Disabled : s_.bIsHot ? Hot : Normal, false);
    PropertyChanged(prop::Enabled);
}

void AeroButton::SetFont(rt::FontRef font) {
    SetSurfaceFont(std::move(font));
    Refresh();
    PropertyChanged(prop::Font);
}

// The font's parts change the shared font object; the surface notices the
// change when it next hands out its DC. They have no keys of their own.
bool AeroButton::FontBold() const {
    return Font()->Bold();
}
void AeroButton::SetFontBold(bool bold) {
    Font()->SetBold(bold);
    Refresh();
}
bool AeroButton::FontItalic() const {
    return Font()->Italic();
}
void AeroButton::SetFontItalic(bool italic) {
    Font()->SetItalic(italic);
    Refresh();
}
bool AeroButton::FontStrikethru() const {
    return Font()->Strikethrough();
}
void AeroButton::SetFontStrikethru(bool strikethru) {
    Font()->SetStrikethrough(strikethru);
    Refresh();
}
bool AeroButton::FontUnderline() const {
    return Font()->Underline();
}
void AeroButton::SetFontUnderline(bool underline) {
    Font()->SetUnderline(underline);
    Refresh();
}
std::wstring AeroButton::FontName() const {
    return Font()->Name();
}
void AeroButton::SetFontName(const std::wstring& name) {
    Font()->SetName(name);
    Refresh();
}
float AeroButton::FontSize() const {
    return Font()->Size();
}
void AeroButton::SetFontSize(float points) {
    Font()->SetSize(points);
    Refresh();
}

long AeroButton::ForeColor() const {
    return s_.ForeColor;
}
void AeroButton::SetForeColor(long colour) {
    s_.ForeColor = colour;
    // A disabled face shows the disabled text colour; the new one waits for the next palette refresh.
    if (s_.Enabled) {
        RefreshColors();
        Repaint(*this);
    }
    PropertyChanged(prop::ForeColor);
}

bool AeroButton::HandPointer() const {
    return s_.HandPointer;
}
void AeroButton::SetHandPointer(bool on) {
    s_.HandPointer = on;
    PropertyChanged(prop::HandPointer);
}

long AeroButton::MaskColor() const {
    return s_.MaskColor;
}
void AeroButton::SetMaskColor(long colour) {
    s_.MaskColor = colour;
    s_.palette.clrMask = rt::TranslateColor(colour);
    Repaint(*this);
    PropertyChanged(prop::MaskColor);
}

void AeroButton::SetMouseIcon(rt::PictureRef icon) {
    const bool none = !icon;
    SetSurfaceMouseIcon(std::move(icon));
    SetMousePointer(none ? 0 : kCustomPointer);
    PropertyChanged(prop::MouseIcon);
}

void AeroButton::SetMousePointer(long pointer) {
    // A standard pointer replaces the hand, even when the number then proves invalid.
    if (pointer != kCustomPointer && s_.HandPointer) SetHandPointer(false);
    if (pointer < SHRT_MIN || pointer > SHRT_MAX) rt::Raise(rt::errnum::Overflow, L"AeroButton", L"Overflow");
    SetSurfacePointer(pointer);
    PropertyChanged(prop::MousePointer);
}

long AeroButton::PictureAlignment() const {
    return s_.PictureAlignment;
}
void AeroButton::SetPictureAlignment(long alignment) {
    s_.PictureAlignment = alignment;
    Refresh();
    PropertyChanged(prop::PicAlign);
}

// The normal picture is the anchor: the down and hot pictures only exist beside
// it, and their drawn size follows it.
rt::PictureRef AeroButton::PictureNormal() const {
    return s_.PictureNormal;
}
void AeroButton::SetPictureNormal(rt::PictureRef picture) {
    if (!picture) {
        SetPictureDown(nullptr);
        SetPictureHot(nullptr);
        s_.PictureOpacity = 0.0f;
    } else if (s_.PictureOpacity == 0.0f) {
        s_.PictureOpacity = 1.0f;
    }
    s_.PictureNormal = std::move(picture);
    SetPictureSize(s_.PictureSize);
    Refresh();
    PropertyChanged(prop::PicNormal);
    PropertyChanged(prop::PicOpacity);
}

rt::PictureRef AeroButton::PictureDown() const {
    return s_.PictureDown;
}
void AeroButton::SetPictureDown(rt::PictureRef picture) {
    if (!KeepBesideNormal(*this, picture)) return;
    s_.PictureDown = std::move(picture);
    if (s_.bIsDown) Repaint(*this);
    PropertyChanged(prop::PicDown);
}

rt::PictureRef AeroButton::PictureHot() const {
    return s_.PictureHot;
}
void AeroButton::SetPictureHot(rt::PictureRef picture) {
    if (!KeepBesideNormal(*this, picture)) return;
    s_.PictureHot = std::move(picture);
    if (s_.bIsHot) Repaint(*this);
    PropertyChanged(prop::PicHot);
}

long AeroButton::PictureOpacity() const {
    return rt::RoundHalfEven(static_cast<double>(s_.PictureOpacity) * 100.0);
}
void AeroButton::SetPictureOpacity(long percent) {
    float value = static_cast<float>(percent);
    if (value > 100.0f) value = 100.0f;
    if (value < 10.0f) value = 10.0f;
    s_.PictureOpacity = value / 100.0f;
    Repaint(*this);
    PropertyChanged(prop::PicOpacity);
}

long AeroButton::PictureSize() const {
    return s_.PictureSize;
}
void AeroButton::SetPictureSize(long mode) {
    if (!s_.PictureNormal) {
        s_.PictureSize = 0;
        s_.PictureSizeH = 0;
        s_.PictureSizeW = 0;
    } else {
        s_.PictureSize = mode;
        switch (mode) {
            case Natural:
                s_.PictureSizeH =
                    rt::RoundHalfEven(ScaleY(static_cast<double>(s_.PictureNormal->Height())));
                s_.PictureSizeW =
                    rt::RoundHalfEven(ScaleX(static_cast<double>(s_.PictureNormal->Width())));
                break;
            case Size16:
                s_.PictureSizeH = s_.PictureSizeW = 16;
                break;
            case Size24:
                s_.PictureSizeH = s_.PictureSizeW = 24;
                break;
            case Size32:
                s_.PictureSizeH = s_.PictureSizeW = 32;
                break;
            case Size48:
                s_.PictureSizeH = s_.PictureSizeW = 48;
                break;
            default:
                break;  // custom: the dimensions stay as they are
        }
    }
    Refresh();
    PropertyChanged(prop::PicSize);
    PropertyChanged(prop::PicSizeH);
    PropertyChanged(prop::PicSizeW);
}

// A dimension set by hand makes the drawn size custom.
void AeroButton::SetPictureDimension(long AeroButtonState::*dimension, long pixels, const wchar_t* key) {
    s_.PictureSize = Custom;
    s_.*dimension = pixels;
    Refresh();
    PropertyChanged(prop::PicSize);
    PropertyChanged(key);
}

long AeroButton::PictureSizeH() const {
    return s_.PictureSizeH;
}
void AeroButton::SetPictureSizeH(long pixels) {
    SetPictureDimension(&AeroButtonState::PictureSizeH, pixels, L"PicSizeH");
}

long AeroButton::PictureSizeW() const {
    return s_.PictureSizeW;
}
void AeroButton::SetPictureSizeW(long pixels) {
    SetPictureDimension(&AeroButtonState::PictureSizeW, pixels, L"PicSizeW");
}

bool AeroButton::UseMaskColor() const {
    return s_.UseMaskColor;
}
void AeroButton::SetUseMaskColor(bool on) {
    s_.UseMaskColor = on;
    Repaint(*this);
    PropertyChanged(prop::UseMask);
}

bool AeroButton::Value() const {
    return s_.Value;
}
void AeroButton::SetValue(bool value) {
    s_.Value = value;
    if (value && !s_.CheckBoxMode) {
        // A push button set to True is clicked by code; in a designer it just springs back.
        if (AmbientUserMode()) {
            s_.nLastButton = 1;
            RunClick();
        } else {
            s_.Value = false;
        }
    } else {
        Repaint(*this);
    }
    PropertyChanged(prop::Value);
}

const wchar_t* AeroButton::Description(const std::wstring& member) {
    static const std::pair<const wchar_t*, const wchar_t*> kDescriptions[] = {
        {L"BackColor", L"Returns/sets the background color used for the button."},
        {L"ButtonShape", L"Returns/sets a value to determine the shape used to draw the button."},
        {L"Caption", L"Returns/sets the text displayed in the button."},
        {L"CheckBoxMode", L"Returns/sets the type of control the button will observe."},
        {L"Enabled", L"Returns/sets a value to determine whether the button can respond to events."},
        {L"Font", L"Returns/sets the Font used to display text on the button."},
        {L"FontBold", L"Returns/sets bold font style."},
        {L"FontItalic", L"Returns/sets italic font style."},
        {L"FontName", L"Specifies the name of the font used for the button caption."},
        {L"FontSize", L"Specifies the size (in points) of the font used for the button caption."},
        {L"FontStrikethru", L"Returns/sets strikethrough font style."},
        {L"FontUnderline", L"Returns/sets underline font style."},
        {L"ForeColor", L"Returns/sets the text color of the button caption."},
        {L"HandPointer",
         L"Returns/sets a value to determine whether the control uses the system's hand pointer as its "
         L"cursor."},
        {L"Hwnd", L"Returns a handle that uniquely identifies the control."},
        {L"MaskColor", L"Returns/sets a color in a button's picture to be transparent."},
        {L"MouseIcon", L"Sets a custom mouse icon for the button."},
        {L"MousePointer", L"Returns/sets the type of mouse pointer displayed when cursor over the button."},
        {L"PictureAlignment", L"Returns/sets a value to determine where to draw the picture in the button."},
        {L"PictureDown",
         L"Returns/sets the picture displayed when the control is pressed down or in checked state."},
        {L"PictureHot", L"Returns/sets the picture displayed when the cursor is over the control."},
        {L"PictureNormal", L"Returns/sets the picture displayed on a normal state button."},
        {L"PictureOpacity",
         L"Returns/sets a value in percent how the pictures will be blended to the button."},
        {L"PictureSize", L"Returns/sets a value to determine the size of the picture to draw."},
        {L"PictureSizeH", L"Returns/sets the standard/custom height of the defined pictures in pixels."},
        {L"PictureSizeW", L"Returns/sets the standard/custom width of the defined pictures in pixels."},
        {L"UseMaskColor",
         L"Returns/sets a value to determine whether to use MaskColor to create transparent areas of the "
         L"picture."},
        {L"Value", L"Returns/sets the value or state of the button."},
        {L"Refresh", L"Forces a complete repaint of the button."},
        // The events; the drag-and-drop ones carry none. The misspelt text is kept as first shipped.
        {L"Click", L"Occurs when the user presses and then releases a mouse button over the button."},
        {L"DblClick", L"Occurs when the user clicks over the button twice."},
        {L"KeyDown", L"Occurs when the user presses a key while the button has the focus."},
        {L"KeyPress", L"Occurs when the user presses and releases an ANSI key."},
        {L"KeyUp", L"Occurs when the user releases a key while the button has the focus."},
        {L"MouseDown", L"Occurs when the user presses the mouse button while the button has the focus."},
        {L"MouseEnter", L"Occrus when the cursor moves around the button for the first time."},
        {L"MouseLeave", L"Occurs when the cursor leaves/moves outside the button."},
        {L"MouseMove", L"Occurs when the cursor moves over the button."},
        {L"MouseUp", L"Occurs when the user releases the mouse button while the button has the focus."},
    };
    for (const auto& [name, text] : kDescriptions)
        if (member == name) return text;
    return nullptr;
}

}  // namespace aero
