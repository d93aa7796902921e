// What the servers that try to reach out of a preview write, shared by them
// and their tests: a class whose key holds a registry link to a real key, a
// key under HKEY_CURRENT_CONFIG, a class whose ProgID is "CLSID", and a
// server of very many classes.
#pragma once

#include <string>

inline constexpr wchar_t kLinkClsid[] = L"{7E55A1E0-0000-4000-8000-0000000000B0}";
// The real key the link names, below HKEY_LOCAL_MACHINE in the system's own (64-bit) view, and its value.
inline constexpr wchar_t kLinkedKey[] = L"Software\\Tessiver Linked Key";
inline constexpr wchar_t kLinkedKeyNative[] = L"\\Registry\\Machine\\Software\\Tessiver Linked Key";
inline constexpr wchar_t kLinkedValue[] = L"Tessiver linked value";
inline constexpr wchar_t kConfigKey[] = L"Software\\Tessiver Config";

inline constexpr wchar_t kClsidNamedClsid[] = L"{7E55A1E0-0000-4000-8000-0000000000C0}";
// Where that server's unregistration notes how many classes it saw in HKEY_CLASSES_ROOT\CLSID.
inline constexpr wchar_t kSeenClassesKey[] = L"Software\\Tessiver Seen Classes";

inline constexpr int kManyClasses = 1500;
inline std::wstring ManyClsid(int n) {
    wchar_t text[40];
    wsprintfW(text, L"{7E55A1E1-0000-4000-8000-%012X}", n);
    return text;
}
