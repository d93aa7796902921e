#include "callbyaddress.h"

#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace services {
namespace {

static_assert(sizeof(void*) == 4, "the call thunk is 32-bit x86 code");

// Owns one block of VirtualAlloc memory.
class CodeBlock {
public:
    explicit CodeBlock(size_t size)
        : size_(size), p_(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
        if (!p_) throw std::bad_alloc();
    }
    ~CodeBlock() { VirtualFree(p_, 0, MEM_RELEASE); }
    CodeBlock(const CodeBlock&) = delete;
    CodeBlock& operator=(const CodeBlock&) = delete;

    uint8_t* Data() const { return static_cast<uint8_t*>(p_); }

    // Never writable and executable at once: the code is written first, then
    // the block becomes execute-read.
    void MakeExecutable() {
        DWORD old = 0;
        if (!VirtualProtect(p_, size_, PAGE_EXECUTE_READ, &old)) throw std::runtime_error("VirtualProtect");
        FlushInstructionCache(GetCurrentProcess(), p_, size_);
    }

private:
    size_t size_;
    void* p_;
};

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

uint32_t CallByAddress(uintptr_t address, std::span<const int32_t> args) {
    const size_t size = 16 + 5 * args.size();
    CodeBlock block(size);
    // Breakpoints behind the code, so a stray jump stops at once.
    std::memset(block.Data(), 0xCC, size);
    const auto code = BuildThunk(reinterpret_cast<uintptr_t>(block.Data()), address, args);
    std::memcpy(block.Data(), code.data(), code.size());
    block.MakeExecutable();
    using Thunk = uint32_t(__stdcall*)();
    return reinterpret_cast<Thunk>(block.Data())();
}

}  // namespace services
