// The control's stored properties: defaults for a new instance, and the 23
// keys it saves to and loads from its host's property bag.
#include <cstdint>

#include "accesskey.h"
#include "aerobutton.h"
#include "propertynames.h"

namespace aero {
namespace {

// Stored defaults, with the variant types they are compared in.
const rt::Variant kZero = int16_t{0};
const rt::Variant kNoPicture = rt::PictureRef{};
const rt::Variant kBackColorDefault = int32_t{kDefaultBackColor};
const rt::Variant kMaskColorDefault = int32_t{kDefaultMaskColor};
const rt::Variant kAlignmentDefault = int32_t{kDefaultPictureAlignment};
const rt::Variant kOpacityDefault = int16_t{1};
const wchar_t kTipTextDefault[] = L"ToolTip";

}  // namespace

void AeroButton::InitProperties() {
    s_.BackColor = kDefaultBackColor;
    s_.Caption = AmbientDisplayName();
    s_.CheckBoxMode = false;
    s_.Enabled = true;
    // Only the name follows the host; size and style stay the designed Arial 9 points.
    if (!Font()) SetSurfaceFont(rt::MakeFont(L"Arial", 9.0f));
    if (rt::FontRef ambient = AmbientFont()) Font()->SetName(ambient->Name());
    s_.ForeColor = static_cast<long>(AmbientForeColor());
    s_.MaskColor = kDefaultMaskColor;
    s_.PictureAlignment = kDefaultPictureAlignment;
    s_.PictureDown = nullptr;
    s_.PictureHot = nullptr;
    s_.PictureNormal = nullptr;
    s_.PictureOpacity = 1.0f;
    s_.PictureSize = Natural;
    s_.UseMaskColor = true;
    s_.Value = false;
    RefreshColors();
    s_.bPropsLoaded = true;
}

void AeroButton::WriteProperties(rt::PropertyBag& bag) {
    const rt::Variant no = false;
    const rt::Variant yes = true;
    bag.WriteProperty(prop::BackColor, static_cast<int32_t>(s_.BackColor), kBackColorDefault);
    bag.WriteProperty(prop::ButtonShape, static_cast<int32_t>(s_.ButtonShape), kZero);
    bag.WriteProperty(prop::Caption, s_.Caption, AmbientDisplayName());
    bag.WriteProperty(prop::CheckBox, s_.CheckBoxMode, no);
    bag.WriteProperty(prop::Enabled, s_.Enabled, yes);
    bag.WriteProperty(prop::Font, Font(), AmbientFont());
    bag.WriteProperty(prop::ForeColor, static_cast<int32_t>(s_.ForeColor),
                      static_cast<int32_t>(AmbientForeColor()));
    bag.WriteProperty(prop::HandPointer, s_.HandPointer, no);
    bag.WriteProperty(prop::MaskColor, static_cast<int32_t>(s_.MaskColor), kMaskColorDefault);
    bag.WriteProperty(prop::MouseIcon, MouseIcon(), kNoPicture);
    bag.WriteProperty(prop::MousePointer, static_cast<int16_t>(MousePointer()), kZero);
    bag.WriteProperty(prop::PicAlign, static_cast<int32_t>(s_.PictureAlignment), kAlignmentDefault);
    bag.WriteProperty(prop::PicDown, s_.PictureDown, kNoPicture);
    bag.WriteProperty(prop::PicHot, s_.PictureHot, kNoPicture);
    bag.WriteProperty(prop::PicNormal, s_.PictureNormal, kNoPicture);
    bag.WriteProperty(prop::PicOpacity, s_.PictureOpacity, kOpacityDefault);
    bag.WriteProperty(prop::PicSize, static_cast<int32_t>(s_.PictureSize), kZero);
    bag.WriteProperty(prop::PicSizeH, static_cast<int32_t>(s_.PictureSizeH), kZero);
    bag.WriteProperty(prop::PicSizeW, static_cast<int32_t>(s_.PictureSizeW), kZero);
    bag.WriteProperty(prop::State, static_cast<int32_t>(s_.nState), kZero);
    bag.WriteProperty(prop::UseMask, s_.UseMaskColor, yes);
    bag.WriteProperty(prop::Value, s_.Value, no);
    bag.WriteProperty(prop::TipText, s_.TipText, std::wstring(kTipTextDefault));
}

// The TipText setter's notice without its refresh: the load ends in a forced
// repaint that rebuilds region and layout, so an earlier paint would never be seen.
void AeroButton::LoadTipText(const std::wstring& text) {
    s_.TipText = text;
    PropertyChanged(prop::TipText);
    s_.bLayoutDirty = true;
}

void AeroButton::ReadProperties(rt::PropertyBag& bag) {
    // Values go straight into the fields, unchecked: the stored state is trusted as saved.
    s_.BackColor = rt::ToLong(bag.ReadProperty(prop::BackColor, kBackColorDefault));
    s_.ButtonShape = rt::ToLong(bag.ReadProperty(prop::ButtonShape, kZero));
    s_.Caption = rt::ToString(bag.ReadProperty(prop::Caption, AmbientDisplayName()));
    s_.CheckBoxMode = rt::ToBoolean(bag.ReadProperty(prop::CheckBox, false));
    s_.Enabled = rt::ToBoolean(bag.ReadProperty(prop::Enabled, true));
    s_.ForeColor = rt::ToLong(bag.ReadProperty(prop::ForeColor, static_cast<int32_t>(AmbientForeColor())));
    s_.HandPointer = rt::ToBoolean(bag.ReadProperty(prop::HandPointer, false));
    s_.MaskColor = rt::ToLong(bag.ReadProperty(prop::MaskColor, kMaskColorDefault));
    s_.PictureAlignment = rt::ToLong(bag.ReadProperty(prop::PicAlign, kAlignmentDefault));
    s_.PictureDown = rt::ToPicture(bag.ReadProperty(prop::PicDown, kNoPicture));
    s_.PictureHot = rt::ToPicture(bag.ReadProperty(prop::PicHot, kNoPicture));
    s_.PictureNormal = rt::ToPicture(bag.ReadProperty(prop::PicNormal, kNoPicture));
    s_.PictureOpacity = rt::ToSingle(bag.ReadProperty(prop::PicOpacity, kOpacityDefault));
    s_.PictureSize = rt::ToLong(bag.ReadProperty(prop::PicSize, kZero));
    s_.PictureSizeH = rt::ToLong(bag.ReadProperty(prop::PicSizeH, kZero));
    s_.PictureSizeW = rt::ToLong(bag.ReadProperty(prop::PicSizeW, kZero));
    s_.nState = rt::ToLong(bag.ReadProperty(prop::State, kZero));
    s_.UseMaskColor = rt::ToBoolean(bag.ReadProperty(prop::UseMask, true));
    s_.Value = rt::ToBoolean(bag.ReadProperty(prop::Value, false));
    LoadTipText(rt::ToString(bag.ReadProperty(prop::TipText, std::wstring(kTipTextDefault))));
    // The surface's own part only: loading notifies no host and repaints once, below.
    SetSurfaceFont(rt::ToFont(bag.ReadProperty(prop::Font, AmbientFont())));
    SetSurfaceMouseIcon(rt::ToPicture(bag.ReadProperty(prop::MouseIcon, kNoPicture)));
    SetSurfacePointer(rt::ToInteger(bag.ReadProperty(prop::MousePointer, kZero)));

    SetAccessKeys(GetAccessKey(s_.Caption));
    SetWindowEnabled(s_.Enabled);
    // Hooks and the hand cursor belong to a running form; a designer's instance gets none.
    if (AmbientUserMode()) InstallHooks();
    RefreshColors();
    s_.bLayoutDirty = true;
    Redraw(s_.nState, true);
    s_.bPropsLoaded = true;
}

}  // namespace aero
