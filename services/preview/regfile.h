// Registry changes as the text of a registration file ("Windows Registry
// Editor Version 5.00"), which the registry editor and installer tools import.
#pragma once

#include <functional>
#include <string>

#include "regtree.h"

namespace services {

// The first line of every registration file this program writes.
inline const std::wstring kRegFileHeader = L"Windows Registry Editor Version 5.00\r\n";

// `keyName` turns a path of the diff into the key's full name
// ("HKEY_CLASSES_ROOT\CLSID\{...}"), or empty to leave that key out.
// Keys without values that only lead to others are left out too. Written by
// a 32-bit process on 64-bit Windows, the names are those of the 32-bit view
// as the 64-bit registry editor sees it (Wow32ViewName). A name the text form
// cannot carry is left out, with a comment line that says so.
std::wstring RegFileText(const RegDiff& diff,
                         const std::function<std::wstring(const std::wstring&)>& keyName);

// A full key name of the 32-bit view as a 64-bit process names it: the
// redirected keys (HKLM\Software, the classes' CLSID, Interface, ...) below
// WOW6432Node; the shared ones (TypeLib, AppID, ProgIDs, HKCU\Software) as they are.
std::wstring Wow32ViewName(const std::wstring& name);

}  // namespace services
