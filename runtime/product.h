// The program's name, where its boxes and its own registry key show it.
#pragma once

namespace rt {

#define TESSIVER_PRODUCT_NAME L"Quorvane Tessiver"
inline constexpr wchar_t kProductName[] = TESSIVER_PRODUCT_NAME;
// Below HKEY_LOCAL_MACHINE: nothing but a preview's scratch copies lives there.
inline constexpr wchar_t kProductKey[] = L"Software\\" TESSIVER_PRODUCT_NAME;

}  // namespace rt
