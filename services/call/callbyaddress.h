// Calls a function by its address with any number of 32-bit arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "runtime/handles.h"

namespace services {

// The code that calls the standard-call function at `address` with `args`
// (element 0 is the first parameter), itself a standard-call function without
// arguments. It keeps the caller's stack whole even if the target leaves its
// arguments on it.
class CallThunk {
public:
    CallThunk(uintptr_t address, std::span<const int32_t> args = {});
    CallThunk(const CallThunk&) = delete;
    CallThunk& operator=(const CallThunk&) = delete;

    uintptr_t Entry() const { return reinterpret_cast<uintptr_t>(code_.Get()); }
    uint32_t operator()() const;

private:
    size_t size_;
    rt::VirtualMemory code_;
};

// Calls the standard-call function at `address` with `args` and returns its
// 32-bit result, on the calling thread.
uint32_t CallByAddress(uintptr_t address, std::span<const int32_t> args = {});

}  // namespace services
