// What the servers that try to reach out of a preview write, shared by them
// and their tests: a class whose key holds a registry link to a real key, a
// key under HKEY_CURRENT_CONFIG, a class whose ProgID is "CLSID", and a
// server of very many classes.
#pragma once

#include <windows.h>

#include <cwchar>
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

// A registry link `name` below `parent` to the key at the native path `target`.
inline LONG MakeRegistryLink(HKEY parent, const std::wstring& name, const wchar_t* target) {
    HKEY link = nullptr;
    LONG rc = RegCreateKeyExW(parent, name.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                              KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target),
                        static_cast<DWORD>(wcslen(target) * sizeof(wchar_t)));
    RegCloseKey(link);
    return rc;
}
