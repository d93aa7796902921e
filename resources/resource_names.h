// Names of the resources embedded in the executable (see tessiver.rc).
#pragma once

namespace res {

inline constexpr const wchar_t* MainIcon = L"MAINICON";
inline constexpr const wchar_t* SecondIcon = L"APPICON";
inline constexpr const wchar_t* Background = L"BACKGROUND";
inline constexpr const wchar_t* StripNormal = L"STRIPNORMAL";
inline constexpr const wchar_t* StripMinHot = L"STRIPMINH";
inline constexpr const wchar_t* StripMinDown = L"STRIPMIND";
inline constexpr const wchar_t* StripCloseHot = L"STRIPCLOSEH";
inline constexpr const wchar_t* StripCloseDown = L"STRIPCLOSED";
inline constexpr const wchar_t* HandCursor = L"HANDCURSOR";
inline constexpr const wchar_t* FormDescription = L"FRMREG";  // RCDATA

}  // namespace res
