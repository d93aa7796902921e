#include "registerflow.h"

#include <algorithm>

#include "messages.h"
#include "paths/loadersearch.h"
#include "runtime/msgbox.h"

namespace {

// What a wait said, taken back on every way out of it.
class Saying {
public:
    Saying(WaitPolicy& wait, const std::wstring& link, const std::wstring& titleTail) : wait_(wait) {
        wait_.Say(link, titleTail);
    }
    ~Saying() { wait_.Unsay(); }
    Saying(const Saying&) = delete;
    Saying& operator=(const Saying&) = delete;

private:
    WaitPolicy& wait_;
};

// Until the helper has answered or was ended, asking about it once the patience is spent.
void AwaitHelper(services::HelperCall& call, const std::wstring& path, const services::ServerTask& task,
                 WaitPolicy& wait) {
    const std::wstring name = services::FileNameOf(path).empty() ? path : services::FileNameOf(path);
    const Saying saying(wait, msg::WaitingLink(name), msg::WaitingTail(name));
    const ULONGLONG started = GetTickCount64();
    ULONGLONG askAt = started + wait.Patience();
    while (!call.Poll()) {
        // Woken by its end or by answer bytes: taken at once, no answer stalls the helper.
        const HANDLE woken[] = {call.Process(), call.AnswerArrived()};
        if (!wait.Wait(woken, 2, askAt)) return call.End();
        if (GetTickCount64() < askAt || call.Poll()) continue;
        const WaitPolicy::Answer answer =
            wait.EndIt(NotAnsweringQuestion(path, task, GetTickCount64() - started));
        if (answer == WaitPolicy::Answer::Gone) return call.End();
        // An answer that came while the question was up wins over the question.
        if (answer == WaitPolicy::Answer::End && !call.Poll()) call.End();
        askAt = GetTickCount64() + kPatienceMs;
    }
}

// A reading that takes longer than the quiet time (the whole registry read again) says what it waits for.
std::optional<services::RegistryNames> AwaitNames(const services::NamesReading& reading, WaitPolicy& wait) {
    const HANDLE done = reading.Done();
    const ULONGLONG sayAt = GetTickCount64() + services::kQuietMs;
    std::optional<Saying> saying;
    while (WaitForSingleObject(done, 0) == WAIT_TIMEOUT) {
        if (!wait.Wait(&done, 1, saying ? WaitPolicy::kForever : sayAt)) return std::nullopt;
        if (saying || GetTickCount64() < sayAt || WaitForSingleObject(done, 0) == WAIT_OBJECT_0) continue;
        saying.emplace(wait, msg::ReadingLink(services::FileNameOf(reading.Target().shown)),
                       msg::ReadingTail());
    }
    return reading.Result();
}

}  // namespace

services::RegistrationOutcome RegisterFile(const RegistrationFlow& flow, const services::ServerFile& server,
                                           const services::ServerTask& task, const ServiceCall& call) {
    const auto target = flow.names ? services::TargetOf(server) : std::nullopt;
    const auto reading = target ? flow.names->ExportStarts(*target, flow.ahead) : nullptr;
    services::RegistrationOutcome outcome = call([&](services::HelperCall& helper) {
        flow.wait.HelperStarted();
        AwaitHelper(helper, server.given, task, flow.wait);
    });
    if (!reading) return outcome;
    const bool ran = services::ExportRan(outcome);
    flow.names->ExportEnded(*reading, ran);
    if (ran) outcome.Names = AwaitNames(*reading, flow.wait);
    return outcome;
}

void ShowReport(const std::vector<services::RegistrationOutcome>& outcomes, const services::ServerTask& task,
                HWND owner) {
    const bool allDone =
        std::all_of(outcomes.begin(), outcomes.end(), [](const auto& o) { return o.Succeeded; });
    const bool warn = std::any_of(outcomes.begin(), outcomes.end(),
                                  [&](const auto& o) { return RegistryNamesWarn(o, task.Registering); });
    rt::MsgBox(RegistrationReport(outcomes, task),
               allDone && !warn ? rt::MsgBoxInformation : rt::MsgBoxExclamation,
               allDone ? msg::kSuccessTitle : rt::kErrorTitle, owner);
}
