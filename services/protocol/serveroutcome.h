// The 64-bit helper's protocol: what the window asks of it (the server's path
// and the task) and how the task went, in a form that crosses between the
// two processes unchanged. Every text carries its length, so a cut-short
// message is recognised.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "outcome/outcome.h"
#include "paths/serverroad.h"
#include "task/servertask.h"

namespace services {

// More than any outcome the helper writes: what is longer is a server writing
// into the answer, read no further.
inline constexpr size_t kLongestAnswer = 256 * 1024;

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
