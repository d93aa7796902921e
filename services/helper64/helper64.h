// The road of a 64-bit server on 64-bit Windows: the helper (helper/) runs its
// export in a process of its own and answers with a ServerOutcome. The helper
// gets exactly two handles, its request and its answer channel, and no
// standard output or error: nothing a server writes can reach the window. Every
// helper is in a job that ends it when the program's last handle to the job
// closes, so none outlives the program, even one that is killed. Once one has
// been needed, the next can wait ready, started and with OLE initialised, so
// the next registration costs no process start.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "helperfile.h"
#include "protocol/serveroutcome.h"
#include "runtime/handles.h"
#include "task/servertask.h"

namespace services {

// One helper at work on one server. Its answer comes on a channel of its
// own, read as it arrives and only up to kLongestAnswer.
class HelperCall {
public:
    HelperCall(rt::Handle process, rt::Handle answers, rt::Handle arrived, rt::Handle requests);
    ~HelperCall();  // ends the helper if it still runs
    HelperCall(const HelperCall&) = delete;
    HelperCall& operator=(const HelperCall&) = delete;

    // Tells the waiting helper what to do; false when it is gone.
    bool Ask(const ServerFile& server, const ServerTask& task);
    // Signalled when the helper has ended.
    HANDLE Process() const { return process_.Get(); }
    // Signalled when answer bytes have come: time to Poll.
    HANDLE AnswerArrived() const { return arrived_.Get(); }
    // Takes what the helper has written so far; true once it has ended (or
    // was ended for writing more than an answer holds).
    bool Poll();
    // Ends the helper now, for a server that does not answer.
    void End();
    // How it went, once Poll has seen the helper end: its answer; NotAnswering
    // when End ended it; AnswerTooLong when it wrote more than an answer
    // holds; HelperEnded, with the exit code as LastDllError, when it ended
    // without a whole answer.
    ServerOutcome Outcome() const;

private:
    enum class Ended { ByItself, NotAnswering, AnswerTooLong };
    void Take();
    void StopReading();
    void Terminate(Ended why);

    rt::Handle process_;
    rt::Handle answers_;
    rt::Handle arrived_;
    rt::Handle requests_;
    OVERLAPPED reading_{};
    bool pending_ = false;
    bool broken_ = false;
    std::array<uint8_t, 4096> chunk_{};
    std::vector<uint8_t> answer_;
    Ended ended_ = Ended::ByItself;
};

class Helper64 {
public:
    // `image`: the helper's program, embedded in this one; it must outlive this.
    explicit Helper64(std::span<const uint8_t> image) : image_(image) {}
    ~Helper64();  // ends every helper still running, then removes the helper's file
    Helper64(const Helper64&) = delete;
    Helper64& operator=(const Helper64&) = delete;

    // Sets a helper to work on the server (its HelperRecord); null with the
    // system's error code when none could be written or started.
    std::unique_ptr<HelperCall> Start(const ServerFile& server, const ServerTask& task, DWORD& error);
    // Starts the next helper, to wait ready, unless one already does.
    void GetReady();

private:
    DWORD MakeJob();
    std::unique_ptr<HelperCall> Launch(DWORD& error);

    std::span<const uint8_t> image_;
    HelperFile file_;
    rt::Handle job_;
    // Started, waiting to be asked; ended before the file goes.
    std::unique_ptr<HelperCall> spare_;
};

// The helper embedded in `module` as the RCDATA resource `name`; empty when absent.
std::span<const uint8_t> EmbeddedHelper(HMODULE module, const wchar_t* name);

}  // namespace services
