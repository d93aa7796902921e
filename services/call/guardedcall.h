// Calls a server's code so that an exception escaping it ends the call, not
// the program. The guard is a frame-based handler at the call: the server's
// own handlers see its exceptions first, and only what none of them handles
// reaches ours.
#pragma once

#include <cstdint>
#include <string>

namespace services {

// An exception that escaped the call, as the system reported it.
struct Fault {
    uint32_t Code = 0;
    uintptr_t Address = 0;  // where it happened
    uint32_t ParamCount = 0;
    uintptr_t Params[2] = {};  // for an access violation: read (0), write (1) or execute (8), and the address
};

// The fault an exception record tells of.
Fault FaultFrom(const struct _EXCEPTION_RECORD& record);

// Calls the standard-call function without arguments at `entry` on this
// thread. True with its result when it returned; false with the fault when
// an exception escaped it. The function's own frames are unwound (their
// cleanup handlers run) before this returns.
// A 64-bit GCC build has no frame handler to offer: there the call is plain,
// and what escapes reaches the process's unhandled-exception filter. That
// build is the helper, which runs one server per process and reports from
// its filter.
bool GuardedCall(uintptr_t entry, uint32_t& result, Fault& fault);
#if defined(_WIN64)
// The same for a function of a BOOL and a pointer (DllInstall). x64 has one
// calling convention, so it is called as it is; x86 goes through a thunk
// that pushes the arguments (callbyaddress.h).
bool GuardedCall(uintptr_t entry, int32_t flag, const void* pointer, uint32_t& result, Fault& fault);
#endif

// The module an address lies in, read while it is still loaded. Allocates
// nothing, so it can run on the thread that just faulted.
struct FaultSite {
    wchar_t Module[260] = {};  // the module's file name; empty outside any module
    uintptr_t Base = 0;
};
FaultSite LocateFault(uintptr_t address);

// "C0000005 (access violation writing address 0x00000000) in x.dll at offset
// 0x000012A4": the code in hex, its usual name where it has one, and the module
// and offset where it happened.
std::wstring DescribeFault(const Fault& fault, const FaultSite& site);
inline std::wstring DescribeFault(const Fault& fault) {
    return DescribeFault(fault, LocateFault(fault.Address));
}

}  // namespace services
