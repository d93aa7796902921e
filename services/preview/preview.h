// A server's registration run against a scratch copy of the registry: the
// system's predefined keys (HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE,
// HKEY_CURRENT_USER, HKEY_USERS, HKEY_CURRENT_CONFIG) are redirected, for
// this process, into a scratch key while the export runs, so what it writes
// through them never reaches the real registry, and what it wrote or deleted
// there is read back. Either every one of them is redirected or the export
// does not run. The server's code still runs with this process's rights: what
// it writes outside the registry, or through another process, is real.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "regtree.h"
#include "runtime/handles.h"

namespace services {

class RegistryPreview {
public:
    // Makes the scratch key and, for an unregistration to take them out,
    // copies into it the keys below HKEY_CLASSES_ROOT named by `copied`, as
    // far as a CopyBudget lasts.
    explicit RegistryPreview(const std::vector<std::wstring>& copied = {});
    // Puts the predefined keys back if Finish was not called, and deletes the scratch.
    ~RegistryPreview();
    RegistryPreview(const RegistryPreview&) = delete;
    RegistryPreview& operator=(const RegistryPreview&) = delete;

    // 0 when the scratch is ready and every predefined key redirected into it, else the system's error code.
    LONG Error() const { return error_; }
    // Puts the predefined keys back and tells what changed in the scratch since it was made.
    RegDiff Finish();

private:
    LONG Make(const std::vector<std::wstring>& copied);
    LONG Redirect();
    void Restore();

    std::wstring name_;  // the scratch key's name below the program's own key
    rt::RegKey scratch_, machine_, user_, users_, config_, classes_;
    RegTree before_;
    bool redirected_ = false;
    LONG error_ = 0;
};

// The full name of a key of the scratch, as the real registry would name
// it; empty for the scratch's own top keys, which stand for the roots.
std::wstring PreviewKeyName(const std::wstring& path);

// The preview as a registration file's text; a registry link the server left
// is told by a comment that names where it leads.
std::wstring PreviewRegText(const RegDiff& diff);

}  // namespace services
