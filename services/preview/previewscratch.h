// The scratch keys previews work in, below the program's own key: open to
// administrators and the system only, named after the process that made them,
// and removed once that process is gone, however it ended.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/handles.h"
#include "runtime/product.h"

namespace services {

// The program's own key below HKEY_LOCAL_MACHINE: only administrators may write there.
inline constexpr const wchar_t* kPreviewOwnKey = rt::kProductKey;

// Creates (or opens) `name` below `parent` open to administrators and the system only.
LONG CreateAdminsOnlyKey(HKEY parent, const std::wstring& name, rt::RegKey& key,
                         DWORD* disposition = nullptr);

// A new scratch key below `own` for this process, and its name.
LONG MakeScratchKey(HKEY own, rt::RegKey& scratch, std::wstring& name);

// Deletes, in both registry views, the scratch keys of processes that no
// longer run (a preview killed while its server hung leaves its own).
void RemoveLeftoverScratchKeys();

}  // namespace services
