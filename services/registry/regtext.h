// Reading a text value of a registry key as it is stored: a variable in an
// expandable value stays unexpanded, so that it can be expanded as the
// value's own readers would.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "paths/serverpath.h"

namespace services {

struct RegText {
    std::wstring text;
    DWORD type = REG_SZ;  // REG_SZ or REG_EXPAND_SZ
};

// No path or name is longer than this; a longer value is the work of
// whoever could write it, and is never read whole.
inline constexpr DWORD kLongestRegText = kLongestPath;

// The value `name` (null: the default value) of `subKey` under `key`; nullopt
// when the key or the value is absent, holds no text, or is longer than
// kLongestRegText (then `tooLong`, if given, is set).
std::optional<RegText> ReadRegText(HKEY key, const std::wstring& subKey, const wchar_t* name = nullptr,
                                   bool* tooLong = nullptr);

// The subkey at `index` of `key`, in the registry's own order; nullopt past
// the last one. `written`, when given, gets its last-write time, which the
// enumeration returns anyway.
std::optional<std::wstring> SubkeyAt(HKEY key, DWORD index, ULONGLONG* written = nullptr);

}  // namespace services
