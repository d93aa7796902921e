// The classes and the type library of the server whose unregistration leaves
// its classes behind, shared by the server and its tests.
#pragma once

#include <string>

// Nine classes {7E55A1E0-0000-4000-8000-00000000000n}, n = 1 to 9, each with the ProgID Tessiver.Left.n.
inline constexpr int kLeftClasses = 9;

inline std::wstring LeftClsid(int n) {
    return L"{7E55A1E0-0000-4000-8000-00000000000" + std::to_wstring(n) + L"}";
}

inline std::wstring LeftProgId(int n) {
    return L"Tessiver.Left." + std::to_wstring(n);
}

inline constexpr wchar_t kLeftLibid[] = L"{7E55A1E0-0000-4000-8000-0000000000A0}";
