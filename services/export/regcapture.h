// What a preview captured, read back from the registration file's text it
// comes as (from this process or the 64-bit helper alike): the keys written
// and their values, each named as a process of the server's own kind names it.
#pragma once

#include <string>
#include <vector>

#include "preview/regtree.h"

namespace services {

struct CapturedKey {
    std::wstring Name;  // "HKEY_CLASSES_ROOT\CLSID\{...}": the classes of either root as the merged ones
    std::vector<RegValue> Values;
};

// The keys written, in the text's order; deletions and comments are skipped.
// The 32-bit view's WOW6432Node is taken out of the names.
std::vector<CapturedKey> ReadCapture(const std::wstring& regText);

// The key's default or named text value; empty when absent or not text.
std::wstring CapturedText(const CapturedKey& key, const std::wstring& name = L"");

}  // namespace services
