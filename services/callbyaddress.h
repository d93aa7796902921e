// Calls a function by its address with any number of 32-bit arguments.
#pragma once

#include <cstdint>
#include <span>

namespace services {

// Calls the standard-call function at `address` with `args` (element 0 is the
// first parameter) and returns its 32-bit result, on the calling thread.
uint32_t CallByAddress(uintptr_t address, std::span<const int32_t> args = {});

}  // namespace services
