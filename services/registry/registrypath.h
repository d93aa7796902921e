// How a path in the registry (an InprocServer32 or a type library's win32 or
// win64 value) leads to a file, however it is spelt: with quotes, with
// variables in an expandable value, with short names, in another case, or as
// a bare name that the loader looks for.
#pragma once

#include <windows.h>

#include <string>

#include "registryview.h"

namespace services {

// The path a value spells: blanks and one pair of double quotes trimmed, and
// the variables of a REG_EXPAND_SZ value expanded as a client of the view's
// kind expands them (a 64-bit one has its own program files folders).
std::wstring SpelledPath(const std::wstring& value, DWORD type, RegistryView view);

// The file-name part the loader would open for a spelled path, in lower case,
// with ".dll" added where the loader adds it. Only a file of this name (or
// with this short name) can be the file a value names, but for a hard link.
std::wstring NameKey(const std::wstring& spelledPath);

// The path this process opens for the file a spelled path names in `view`: a
// bare name found as that view's loader finds it, a path made full, and the
// 64-bit system folder reached by the alias that this 32-bit process has for
// it. Empty for a bare name found nowhere.
std::wstring OpenablePath(const std::wstring& spelledPath, RegistryView view);

}  // namespace services
