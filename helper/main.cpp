// The 64-bit helper: runs one 64-bit server's registration export in a
// process of its own, for the 32-bit window, and writes how it went to its
// standard output as a ServerOutcome. A server that crashes, ends the process
// or never returns harms only this process.
//   tessiver64.exe register|unregister PATH
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include <string>

#include "guardedcall.h"
#include "latebound.h"
#include "loaddiagnosis.h"
#include "loadersearch.h"
#include "reg.h"
#include "serveroutcome.h"

namespace {

struct Job {
    std::wstring path;
    const char* exportName;
    services::ServerOutcome outcome;
};

// Where the server's code was when an exception escaped it.
volatile LONG calling = 0;
HANDLE faulted = nullptr;
services::Fault fault;
services::FaultSite site;

// The last handler: what no handler of the server took. The faulting thread
// only notes it (its stack may be spent) and waits to be ended with the process.
LONG WINAPI OnUnhandled(EXCEPTION_POINTERS* info) {
    fault = services::FaultFrom(*info->ExceptionRecord);
    site = services::LocateFault(fault.Address);
    SetEvent(faulted);
    Sleep(INFINITE);
    return EXCEPTION_CONTINUE_SEARCH;
}

DWORD WINAPI Work(void* data) {
    Job& job = *static_cast<Job*>(data);
    // Many self-registration exports expect an OLE apartment, as on the window thread.
    OleInitialize(nullptr);
    rt::ClearErr();
    const services::ServerDllSearch search;
    uintptr_t address = 0;
    if (rt::Suppress([&] { address = services::ResolveExport(job.path, job.exportName); })) {
        job.outcome.Err = rt::Err();
        if (job.outcome.Err.Number == rt::errnum::LibraryMissing)
            job.outcome.Problem = services::ExplainLoadFailure(job.path);
        return 0;
    }
    InterlockedExchange(&calling, 1);
    job.outcome.Succeeded = services::CallResolvedExport(address, job.exportName);
    job.outcome.Err = rt::Err();
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const std::wstring verb = argv[1];
    if (verb != L"register" && verb != L"unregister") return 2;
    Job job{argv[2], verb == L"register" ? "DllRegisterServer" : "DllUnregisterServer", {}};
    rt::NarrowDllSearch();  // as the window does: nothing planted in the current folder loads
    // No system dialog for a crash or a missing disk: the window reports.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    faulted = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetUnhandledExceptionFilter(&OnUnhandled);
    HANDLE worker = CreateThread(nullptr, 0, &Work, &job, 0, nullptr);
    if (!worker || !faulted) return 3;
    const HANDLE both[] = {worker, faulted};
    if (WaitForMultipleObjects(2, both, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        job.outcome.Succeeded = false;
        job.outcome.Err = {calling ? rt::errnum::ServerException : rt::errnum::ServerLoadException, L"clsReg",
                           services::DescribeFault(fault, site), 0, static_cast<long>(fault.Code)};
    }
    const std::vector<uint8_t> bytes = services::EncodeOutcome(job.outcome);
    DWORD written = 0;
    const BOOL sent = WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(),
                                static_cast<DWORD>(bytes.size()), &written, nullptr);
    // Ended at once: the server's detach code gets no chance to hang or crash after the answer.
    TerminateProcess(GetCurrentProcess(), sent && written == bytes.size() ? 0 : 4);
    return 0;
}
