// While a server loads and runs, what it writes to the standard output and
// error goes nowhere: the command line's log is the program's alone.
#pragma once

#include <windows.h>

#include "runtime/handles.h"

namespace services {

// Points both standard handles, and the C runtime's two descriptors that a
// server sharing the program's runtime prints through, at the null device;
// puts the real ones back at scope end. Nothing changes if the null device
// cannot be opened.
class QuietOutput {
public:
    QuietOutput();
    ~QuietOutput();
    QuietOutput(const QuietOutput&) = delete;
    QuietOutput& operator=(const QuietOutput&) = delete;

private:
    struct Stream {
        DWORD kind;
        int descriptor;
        HANDLE real = nullptr;
        HANDLE runtime = nullptr;  // the runtime's handle for the descriptor, kept from closing meanwhile
        DWORD runtimeFlags = 0;
        int saved = -1;  // a copy of the runtime's descriptor while the null device has it
    };

    void Quiet(Stream& stream);
    static void Restore(const Stream& stream);

    rt::Handle nul_;
    int nulDescriptor_ = -1;
    Stream streams_[2] = {{STD_OUTPUT_HANDLE, 1}, {STD_ERROR_HANDLE, 2}};
};

}  // namespace services
