#include "loadwatch.h"

#include "guardedcall.h"
#include "runtime/handles.h"
#include "runtime/latebound.h"

namespace services {
namespace {

// One load is watched at a time, on the window thread (or the helper's);
// the handler sees every thread's exceptions and keeps only the watched one's.
struct Watch {
    DWORD thread = 0;
    bool seen = false;
    Fault fault;
    FaultSite site;
};
Watch watch;

LONG CALLBACK Notice(EXCEPTION_POINTERS* info) {
    if (GetCurrentThreadId() != watch.thread) return EXCEPTION_CONTINUE_SEARCH;
    // The last one counts: an earlier one the server handled itself is not why the load failed.
    watch.seen = true;
    watch.fault = FaultFrom(*info->ExceptionRecord);
    watch.site = LocateFault(watch.fault.Address);
    return EXCEPTION_CONTINUE_SEARCH;
}

// The system error the loader reports for an exception it caught.
DWORD ErrorForStatus(uint32_t status) {
    static const auto convert = rt::LateBound<ULONG WINAPI(LONG)>(L"ntdll.dll", "RtlNtStatusToDosError");
    return convert ? convert(static_cast<LONG>(status)) : 0;
}

}  // namespace

HMODULE LoadWatched(const std::function<HMODULE()>& load, LoadCrash& crash) {
    crash = {};
    watch = Watch{};
    watch.thread = GetCurrentThreadId();
    HMODULE module = nullptr;
    DWORD error = 0;
    {
        // Removed on every way out, a throwing load included.
        const rt::VectoredHandler handler(AddVectoredExceptionHandler(1, &Notice));
        module = load();
        error = GetLastError();
    }
    watch.thread = 0;
    if (!module && watch.seen && error == ErrorForStatus(watch.fault.Code)) {
        crash.Happened = true;
        crash.Code = watch.fault.Code;
        crash.Description = DescribeFault(watch.fault, watch.site);
    }
    SetLastError(error);
    return module;
}

}  // namespace services
