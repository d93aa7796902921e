// The names of the control's stored properties: the keys of its property bag
// and the names its property changes are announced under, one constant each.
#pragma once

namespace aero::prop {

inline constexpr wchar_t BackColor[] = L"BackColor";
inline constexpr wchar_t ButtonShape[] = L"ButtonShape";
inline constexpr wchar_t Caption[] = L"Caption";
inline constexpr wchar_t CheckBox[] = L"CheckBox";
inline constexpr wchar_t Enabled[] = L"Enabled";
inline constexpr wchar_t Font[] = L"Font";
inline constexpr wchar_t ForeColor[] = L"ForeColor";
inline constexpr wchar_t HandPointer[] = L"HandPointer";
inline constexpr wchar_t MaskColor[] = L"MaskColor";
inline constexpr wchar_t MouseIcon[] = L"MouseIcon";
inline constexpr wchar_t MousePointer[] = L"MousePointer";
inline constexpr wchar_t PicAlign[] = L"PicAlign";
inline constexpr wchar_t PicDown[] = L"PicDown";
inline constexpr wchar_t PicHot[] = L"PicHot";
inline constexpr wchar_t PicNormal[] = L"PicNormal";
inline constexpr wchar_t PicOpacity[] = L"PicOpacity";
inline constexpr wchar_t PicSize[] = L"PicSize";
inline constexpr wchar_t PicSizeH[] = L"PicSizeH";
inline constexpr wchar_t PicSizeW[] = L"PicSizeW";
inline constexpr wchar_t State[] = L"State";
inline constexpr wchar_t TipText[] = L"TipText";
inline constexpr wchar_t UseMask[] = L"UseMask";
inline constexpr wchar_t Value[] = L"Value";

}  // namespace aero::prop
