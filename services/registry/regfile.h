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
// Keys without values that only lead to others are left out too.
std::wstring RegFileText(const RegDiff& diff,
                         const std::function<std::wstring(const std::wstring&)>& keyName);

}  // namespace services
