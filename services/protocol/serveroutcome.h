// The 64-bit helper's protocol: what the window asks of it (the server's path
// and the task) and how the task went, in a form that crosses between the
// two processes unchanged. Every text carries its length, so a cut-short
// message is recognised.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "errors.h"
#include "loaddiagnosis.h"
#include "registrynames.h"
#include "servertask.h"

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

// More than any outcome the helper writes: what is longer is a server writing
// into the answer, read no further.
inline constexpr size_t kLongestAnswer = 256 * 1024;

// `text` (a preview's registration file) no longer than `longest`, cut at a
// line's end, with a last line that says it was cut short.
std::wstring CutPreviewText(std::wstring text, size_t longest);

// Makes a preview fit an answer: names beyond what one carries are counted
// in NamesLeftOut instead (the first kDetailedNames always stay), long names
// are cut, and the registration file is cut short as far as it must be.
void FitAnswer(ServerOutcome& outcome);

// What the window asks: one server file, resolved as the helper takes it
// (HelperRecord), and what to call in it.
struct HelperRequest {
    ServerFile Server;
    ServerTask Task;

    bool operator==(const HelperRequest&) const = default;
};

// The request goes whole, its length first: the helper reads kRequestHead
// bytes, learns from them how many follow, and decodes them all together.
inline constexpr size_t kRequestHead = 4;
std::vector<uint8_t> EncodeRequest(const HelperRequest& request);
// The bytes that follow a request's head; nullopt for one longer than any request.
std::optional<size_t> RequestBodySize(std::span<const uint8_t> head);
// Nullopt for bytes that are not a whole request (head included), and for a
// record no helper may be handed: the helper runs elevated and trusts no input.
std::optional<HelperRequest> DecodeRequest(std::span<const uint8_t> bytes);

std::vector<uint8_t> EncodeOutcome(const ServerOutcome& outcome);
// Nullopt for bytes that are not a whole outcome (a helper that died while writing, say).
std::optional<ServerOutcome> DecodeOutcome(std::span<const uint8_t> bytes);

}  // namespace services
