// The thunk is 32-bit x86 code; the 64-bit helper's one calling convention needs none.
#if defined(_M_IX86) || defined(__i386__)
#include "callbyaddress.h"

#include <windows.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

namespace services {
namespace {

void Put32(std::vector<uint8_t>& code, uint32_t v) {
    for (int i = 0; i < 4; ++i) code.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// push ebp; mov ebp, esp; push argN .. push arg0; call target; mov esp, ebp; pop ebp; ret
// Restoring esp from ebp keeps the caller's stack whole even if the target
// (wrongly) leaves its arguments on the stack.
std::vector<uint8_t> BuildThunk(uintptr_t codeBase, uintptr_t target, std::span<const int32_t> args) {
    std::vector<uint8_t> code{0x55, 0x89, 0xE5};
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        code.push_back(0x68);
        Put32(code, static_cast<uint32_t>(*it));
    }
    code.push_back(0xE8);
    const uint32_t next = static_cast<uint32_t>(codeBase + code.size() + 4);
    Put32(code, static_cast<uint32_t>(target) - next);
    code.insert(code.end(), {0x89, 0xEC, 0x5D, 0xC3});
    return code;
}

}  // namespace

CallThunk::CallThunk(uintptr_t address, std::span<const int32_t> args)
    : size_(16 + 5 * args.size()),
      code_(VirtualAlloc(nullptr, size_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
    if (!code_) throw std::bad_alloc();
    // Breakpoints behind the code, so a stray jump stops at once.
    std::memset(code_.Get(), 0xCC, size_);
    const auto code = BuildThunk(Entry(), address, args);
    std::memcpy(code_.Get(), code.data(), code.size());
    // Never writable and executable at once: the code is written first, then
    // the block becomes execute-read.
    DWORD old = 0;
    if (!VirtualProtect(code_.Get(), size_, PAGE_EXECUTE_READ, &old))
        throw std::runtime_error("VirtualProtect");
    FlushInstructionCache(GetCurrentProcess(), code_.Get(), size_);
}

uint32_t CallThunk::operator()() const {
    using Thunk = uint32_t(__stdcall*)();
    return reinterpret_cast<Thunk>(code_.Get())();
}

uint32_t CallByAddress(uintptr_t address, std::span<const int32_t> args) {
    return CallThunk(address, args)();
}

}  // namespace services
#endif
