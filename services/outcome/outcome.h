// How one server's task went, wherever it ran: in this process, or in the
// 64-bit helper, whose answer carries it back unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "paths/loaddiagnosis.h"
#include "registry/registrynames.h"
#include "runtime/errors.h"

namespace services {

struct ServerOutcome {
    bool Succeeded = false;
    rt::ErrorInfo Err;    // the cause the registration service recorded
    LoadProblem Problem;  // for a file that would not load: what a look at the files found
    std::wstring Export;  // the export that was missing, failed or crashed; empty when none is known
    // For a preview: what the exports wrote (or, unregistering, deleted) as a
    // registration file, and the classes and type libraries among it.
    struct PreviewResult {
        std::wstring RegText;
        RegistryNames Names;
        uint32_t NamesLeftOut = 0;  // names the answer had no room for, after those in Names
    };
    std::optional<PreviewResult> Preview;
};

// The longest registration file a preview carries: more is cut short, with a
// line that says so, so that the answer stays whole.
inline constexpr size_t kLongestPreviewText = 100000;

// `text` (a preview's registration file) no longer than `longest`, cut at a
// line's end, with a last line that says it was cut short.
std::wstring CutPreviewText(std::wstring text, size_t longest);

}  // namespace services
