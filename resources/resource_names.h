// Names of the resources embedded in the executable (see tessiver.rc).
#pragma once

namespace res {

inline constexpr const wchar_t* MainIcon = L"MAINICON";
inline constexpr const wchar_t* SecondIcon = L"APPICON";
inline constexpr const wchar_t* HandCursor = L"HANDCURSOR";
inline constexpr const wchar_t* FormDescription = L"FRMREG";  // RCDATA
inline constexpr const wchar_t* Helper64 = L"HELPER64";       // RCDATA

}  // namespace res
