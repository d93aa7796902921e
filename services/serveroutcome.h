// How one call of a server's registration export went, in a form that crosses
// from the 64-bit helper to the window unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "errors.h"
#include "loaddiagnosis.h"
#include "registrynames.h"

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
    };
    std::optional<PreviewResult> Preview;
};

// The longest registration file a preview carries: more is cut short, with a
// line that says so, so that the answer stays whole.
inline constexpr size_t kLongestPreviewText = 100000;

// More than any outcome the helper writes: what is longer is a server writing
// into the answer, read no further.
inline constexpr size_t kLongestAnswer = 256 * 1024;

std::vector<uint8_t> EncodeOutcome(const ServerOutcome& outcome);
// Nullopt for bytes that are not a whole outcome (a helper that died while writing, say).
std::optional<ServerOutcome> DecodeOutcome(std::span<const uint8_t> bytes);

}  // namespace services
