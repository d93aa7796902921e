// The road of a 64-bit server on 64-bit Windows: the helper (helper/) runs its
// export in a process of its own and answers with a ServerOutcome. Every
// helper is in a job that ends it when the program's last handle to the job
// closes, so none outlives the program, even one that is killed. Once one has
// been needed, the next can wait ready, started and with OLE initialised, so
// the next registration costs no process start.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "helperfile.h"
#include "serveroutcome.h"
#include "servertask.h"

namespace services {

// One helper at work on one server.
class HelperCall {
public:
    HelperCall(HANDLE process, HANDLE answers, HANDLE requests)
        : process_(process), answers_(answers), requests_(requests) {}
    ~HelperCall();  // ends the helper if it still runs
    HelperCall(const HelperCall&) = delete;
    HelperCall& operator=(const HelperCall&) = delete;

    // Tells the waiting helper what to do; false when it is gone.
    bool Ask(const std::wstring& path, const ServerTask& task);
    // Signalled when the helper has ended.
    HANDLE Process() const { return process_; }
    // Takes what the helper has written so far; true once it has ended.
    bool Poll();
    // Ends the helper now, for a server that does not answer.
    void End();
    // How it went, once Poll has seen the helper end: its answer; NotAnswering
    // when End ended it; HelperEnded, with the exit code as LastDllError, when
    // it ended without a whole answer.
    ServerOutcome Outcome() const;

private:
    void Drain();

    HANDLE process_;
    HANDLE answers_;
    HANDLE requests_;
    std::vector<uint8_t> answer_;
    bool endedHere_ = false;
};

class Helper64 {
public:
    // `image`: the helper's program, embedded in this one; it must outlive this.
    explicit Helper64(std::span<const uint8_t> image) : image_(image) {}
    ~Helper64();  // ends every helper still running, then removes the helper's file
    Helper64(const Helper64&) = delete;
    Helper64& operator=(const Helper64&) = delete;

    // Sets a helper to work on the server at `path` (a full path); null with
    // the system's error code when none could be written or started.
    std::unique_ptr<HelperCall> Start(const std::wstring& path, const ServerTask& task, DWORD& error);
    // Starts the next helper, to wait ready, unless one already does.
    void GetReady();

private:
    DWORD MakeJob();
    std::unique_ptr<HelperCall> Launch(DWORD& error);

    std::span<const uint8_t> image_;
    HelperFile file_;
    HANDLE job_ = nullptr;
    // Started, waiting to be asked; ended before the file goes.
    std::unique_ptr<HelperCall> spare_;
};

// The helper embedded in `module` as the RCDATA resource `name`; empty when absent.
std::span<const uint8_t> EmbeddedHelper(HMODULE module, const wchar_t* name);

}  // namespace services
