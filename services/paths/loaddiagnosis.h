// Why the loader would not load a server: looked for the way the loader looks,
// through the file's import table and those of the DLLs it needs.
#pragma once

#include <string>
#include <vector>

#include "serverfault.h"
#include "serverroad.h"

namespace services {

struct LoadProblem {
    using Kind = ServerFault;
    // None: nothing the files show; only the loader's code tells.
    ServerFault kind = ServerFault::None;
    std::wstring detail;  // Malformed, Damaged: what is wrong
    // The DLLs from the server's own import down to the one at fault; empty
    // when the fault is the server's own. A wrong-kind DLL on the way is
    // reported with NotPe, OtherMachine or Damaged and a non-empty chain.
    std::vector<std::wstring> chain;
};

// Looks at the server's headers, as its record holds them, and at the DLLs it
// imports, recursively, its own folder searched first; the first fault found.
LoadProblem ExplainLoadFailure(const ServerFile& server);

// The DLLs the server needs, directly or through others, that lie outside
// the system folder, found where the standard order finds them (its own
// folder, the system folders, the Windows folder, the PATH), each after
// those it needs; none once a fault is met on the way.
std::vector<std::wstring> NeededOutsideSystem(const ServerFile& server);

}  // namespace services
