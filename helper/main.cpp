// The 64-bit helper: runs one 64-bit server's registration export in a
// process of its own, for the 32-bit window, and writes how it went as a
// ServerOutcome on its answer channel. A server that crashes, ends the
// process or never returns harms only this process. The window starts it
// before it is needed, with two handles named on its command line after its
// own path, the request's and the answer's, and no standard handles, so what
// a server prints reaches nobody. It makes itself ready (OLE included) and then
// reads what to do: a HelperRequest, as serveroutcome.h encodes it, whose
// record the window resolved and whose headers it read.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "call/guardedcall.h"
#include "call/reg.h"
#include "outcome/failure.h"
#include "protocol/serveroutcome.h"
#include "runtime/handles.h"
#include "runtime/latebound.h"
#include "task/servertask.h"

namespace {

struct Job {
    rt::Handle requests;
    rt::Handle answers;
    services::ServerFile server;
    services::ServerTask task;
    services::ServerOutcome outcome;
};

bool ReadAll(HANDLE from, void* into, DWORD size) {
    auto* bytes = static_cast<uint8_t*>(into);
    for (DWORD done = 0, read = 0; done < size; done += read)
        if (!ReadFile(from, bytes + done, size - done, &read, nullptr) || read == 0) return false;
    return true;
}

// The two handles after the program's own (quoted) path. Neither goes on to
// any process a server starts.
bool TakeChannels(Job& job) {
    const wchar_t* at = GetCommandLineW();
    if (*at != L'"' || !(at = std::wcschr(at + 1, L'"'))) return false;
    ++at;
    for (rt::Handle* channel : {&job.requests, &job.answers}) {
        wchar_t* end = nullptr;
        const unsigned long long value = std::wcstoull(at, &end, 10);
        if (end == at || value == 0) return false;
        channel->Reset(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value)));
        if (!SetHandleInformation(channel->Get(), HANDLE_FLAG_INHERIT, 0)) return false;
        at = end;
    }
    return true;
}

bool ReadRequest(Job& job) {
    const HANDLE in = job.requests.Get();
    std::vector<uint8_t> bytes(services::kRequestHead);
    if (!ReadAll(in, bytes.data(), static_cast<DWORD>(bytes.size()))) return false;
    const std::optional<size_t> body = services::RequestBodySize(bytes);
    if (!body) return false;
    bytes.resize(bytes.size() + *body);
    if (!ReadAll(in, bytes.data() + services::kRequestHead, static_cast<DWORD>(*body))) return false;
    std::optional<services::HelperRequest> request = services::DecodeRequest(bytes);
    if (!request) return false;
    job.server = std::move(request->Server);
    job.task = std::move(request->Task);
    return true;
}

// Where the server's code was when an exception escaped it.
volatile LONG calling = 0;
const char* volatile callingExport = nullptr;
volatile LONG done = 0;
rt::Handle faulted;
services::Fault fault;
services::FaultSite site;
// A stack overflow may leave no stack for the last handler: the system may end
// the thread instead. It is noted as it is raised, and counts if the thread
// then ends without returning.
volatile LONG overflowed = 0;
services::Fault overflow;

LONG CALLBACK NoteOverflow(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW && !overflowed) {
        overflow = services::FaultFrom(*info->ExceptionRecord);
        InterlockedExchange(&overflowed, 1);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// The last handler: what no handler of the server took. The faulting thread
// only notes it (its stack may be spent) and waits to be ended with the process.
LONG WINAPI OnUnhandled(EXCEPTION_POINTERS* info) {
    fault = services::FaultFrom(*info->ExceptionRecord);
    site = services::LocateFault(fault.Address);
    SetEvent(faulted.Get());
    Sleep(INFINITE);
    return EXCEPTION_CONTINUE_SEARCH;
}

DWORD WINAPI Work(void* data) {
    Job& job = *static_cast<Job*>(data);
    // Many self-registration exports expect an OLE apartment, as on the window thread.
    // Never left: the process ends with the task, and leaving would run the
    // server's code again (its objects' release) after its answer was made.
    OleInitialize(nullptr);
    // A window that went away before asking anything ends the helper here.
    if (!ReadRequest(job)) ExitProcess(2);
    job.requests.Reset();
    job.outcome = services::RunTask(job.server, job.task, [](const char* exportName) {
        callingExport = exportName;
        InterlockedExchange(&calling, 1);
    });
    InterlockedExchange(&done, 1);
    return 0;
}

// An exception that ended the server's code, as the window reports it.
rt::ErrorInfo Escaped(const services::Fault& what, const services::FaultSite& where) {
    return {calling ? services::failure::ServerException : services::failure::ServerLoadException,
            services::kSource, services::DescribeFault(what, where), 0, static_cast<long>(what.Code)};
}

// The export that was running when the server's code ended; empty while it loaded.
std::wstring Running() {
    const char* name = calling ? callingExport : nullptr;
    return name ? std::wstring(name, name + strlen(name)) : std::wstring();
}

}  // namespace

int wmain() {
    Job job;
    rt::NarrowDllSearch();  // as the window does: nothing planted in the current folder loads
    // No system dialog for a crash or a missing disk: the window reports.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    if (!TakeChannels(job)) return 2;
    faulted.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    SetUnhandledExceptionFilter(&OnUnhandled);
    AddVectoredExceptionHandler(1, &NoteOverflow);
    const rt::Handle worker(CreateThread(nullptr, 0, &Work, &job, 0, nullptr));
    if (!worker || !faulted) return 3;
    const HANDLE both[] = {worker.Get(), faulted.Get()};
    const DWORD woke = WaitForMultipleObjects(2, both, FALSE, INFINITE);
    if (woke == WAIT_OBJECT_0 + 1) {
        job.outcome.Succeeded = false;
        job.outcome.Err = Escaped(fault, site);
        job.outcome.Export = Running();
    } else if (!done && !job.outcome.Err.IsSet()) {
        // The thread ended without returning: the system ended it for its overflow, or the server did.
        job.outcome.Succeeded = false;
        job.outcome.Err = overflowed ? Escaped(overflow, services::LocateFault(overflow.Address))
                                     : rt::ErrorInfo{calling ? services::failure::ServerException
                                                             : services::failure::ServerLoadException,
                                                     services::kSource,
                                                     L"the thread that ran it ended without returning", 0, 0};
        job.outcome.Export = Running();
    }
    // A large preview is told in what an answer holds, not cut off as a server writing into it.
    services::FitAnswer(job.outcome);
    const std::vector<uint8_t> bytes = services::EncodeOutcome(job.outcome);
    DWORD written = 0;
    const BOOL sent =
        WriteFile(job.answers.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    // Ended at once: the server's detach code gets no chance to hang or crash after the answer.
    TerminateProcess(GetCurrentProcess(), sent && written == bytes.size() ? 0 : 4);
    return 0;
}
