#include "guardedcall.h"

#include <windows.h>
// The platform headers below build on windows.h.
#include <excpt.h>
#include <malloc.h>

#include <cstddef>

namespace services {

Fault FaultFrom(const EXCEPTION_RECORD& record) {
    Fault fault;
    fault.Code = record.ExceptionCode;
    fault.Address = reinterpret_cast<uintptr_t>(record.ExceptionAddress);
    fault.ParamCount = record.NumberParameters;
    for (DWORD i = 0; i < 2 && i < record.NumberParameters; ++i)
        fault.Params[i] = record.ExceptionInformation[i];
    return fault;
}

#if defined(_MSC_VER) || defined(__i386__)
namespace {

// The overflow used up the stack's guard page; without a new one the next
// overflow would end the process instead of raising.
void AfterCatch(const Fault& fault) {
    if (fault.Code == EXCEPTION_STACK_OVERFLOW) _resetstkoflw();
}

}  // namespace
#endif

#if defined(_MSC_VER)

namespace {
int Filter(const EXCEPTION_POINTERS* info, Fault& fault) {
    fault = FaultFrom(*info->ExceptionRecord);
    return EXCEPTION_EXECUTE_HANDLER;
}
}  // namespace

bool GuardedCall(uintptr_t entry, uint32_t& result, Fault& fault) {
    __try {
        result = reinterpret_cast<uint32_t(__stdcall*)()>(entry)();
        return true;
    } __except (Filter(GetExceptionInformation(), fault)) {
        AfterCatch(fault);
        return false;
    }
}

#if defined(_WIN64)
bool GuardedCall(uintptr_t entry, int32_t flag, const void* pointer, uint32_t& result, Fault& fault) {
    __try {
        result = static_cast<uint32_t>(
            reinterpret_cast<HRESULT(WINAPI*)(BOOL, const void*)>(entry)(flag, pointer));
        return true;
    } __except (Filter(GetExceptionInformation(), fault)) {
        AfterCatch(fault);
        return false;
    }
}
#endif

#elif defined(__GNUC__) && defined(__i386__)

namespace {

// A registration record as the system walks them (next, handler), followed by
// what the guard needs to come back to its caller. Like every registration
// record it lives on the stack of the thread.
struct GuardFrame {
    void* next;
    void* handler;
    uint32_t savedEsp;
    uint32_t savedEbp;
    uint32_t caught;
    Fault fault;
};
static_assert(offsetof(GuardFrame, handler) == 4 && offsetof(GuardFrame, savedEsp) == 8 &&
                  offsetof(GuardFrame, savedEbp) == 12 && offsetof(GuardFrame, caught) == 16,
              "the assembly below uses these offsets");

constexpr DWORD kUnwinding = 0x2 | 0x4;  // EH_UNWINDING | EH_EXIT_UNWIND

}  // namespace

extern "C" {
uint32_t TessiverGuardedCall(uintptr_t entry, GuardFrame* frame);
[[noreturn]] void TessiverGuardCatch(GuardFrame* frame, EXCEPTION_RECORD* record);

// Reached only when no handler inside the call took the exception.
EXCEPTION_DISPOSITION __cdecl TessiverGuardHandler(EXCEPTION_RECORD* record, void* establisher, CONTEXT*,
                                                   void*) {
    if (record->ExceptionFlags & kUnwinding) return ExceptionContinueSearch;
    auto* frame = static_cast<GuardFrame*>(establisher);
    frame->fault = FaultFrom(*record);
    frame->caught = 1;
    TessiverGuardCatch(frame, record);
}
}

// TessiverGuardedCall(entry, frame): links the frame at the head of the
// thread's handler list (fs:0), calls entry, unlinks the frame. Its stack and
// frame pointers are kept in the frame so that TessiverGuardCatch can come back.
//
// TessiverGuardCatch(frame, record): unwinds every frame inside the call
// (RtlUnwind runs their cleanup handlers and leaves fs:0 at our frame), unlinks
// ours and resumes TessiverGuardedCall with result 0. RtlUnwind does not keep
// ebx, esi and edi; they are restored from TessiverGuardedCall's own stack.
asm(R"(
    .text
    .p2align 4
    .globl _TessiverGuardedCall
_TessiverGuardedCall:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 12(%ebp), %eax
    movl %esp, 8(%eax)
    movl %ebp, 12(%eax)
    movl $0, 16(%eax)
    movl %fs:0, %ecx
    movl %ecx, 0(%eax)
    movl $_TessiverGuardHandler, 4(%eax)
    movl %eax, %fs:0
    call *8(%ebp)
    movl 12(%ebp), %ecx
    movl 0(%ecx), %edx
    movl %edx, %fs:0
    jmp 1f
_TessiverGuardResume:
    xorl %eax, %eax
1:
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret

    .p2align 4
    .globl _TessiverGuardCatch
_TessiverGuardCatch:
    pushl %ebp
    movl %esp, %ebp
    pushl $0
    pushl 12(%ebp)
    pushl $0
    pushl 8(%ebp)
    call _RtlUnwind@16
    movl 8(%ebp), %eax
    movl 0(%eax), %ecx
    movl %ecx, %fs:0
    movl 12(%eax), %ebp
    movl 8(%eax), %esp
    jmp _TessiverGuardResume
)");

bool GuardedCall(uintptr_t entry, uint32_t& result, Fault& fault) {
    GuardFrame frame{};
    result = TessiverGuardedCall(entry, &frame);
    if (!frame.caught) return true;
    fault = frame.fault;
    AfterCatch(fault);
    return false;
}

#elif defined(__GNUC__) && defined(__x86_64__)

bool GuardedCall(uintptr_t entry, uint32_t& result, Fault&) {
    result = static_cast<uint32_t>(reinterpret_cast<HRESULT(WINAPI*)()>(entry)());
    return true;
}

bool GuardedCall(uintptr_t entry, int32_t flag, const void* pointer, uint32_t& result, Fault&) {
    result =
        static_cast<uint32_t>(reinterpret_cast<HRESULT(WINAPI*)(BOOL, const void*)>(entry)(flag, pointer));
    return true;
}

#else
#error "GuardedCall needs a frame-based exception handler for this compiler"
#endif

namespace {

const wchar_t* FaultName(uint32_t code) {
    static const struct {
        uint32_t code;
        const wchar_t* name;
    } names[] = {
        {0xC0000005, L"access violation"},
        {0xC0000006, L"in-page error"},
        {0xC000001D, L"illegal instruction"},
        {0xC0000025, L"noncontinuable exception"},
        {0xC0000026, L"invalid disposition"},
        {0xC000008C, L"array bounds exceeded"},
        {0xC000008D, L"floating-point denormal operand"},
        {0xC000008E, L"floating-point division by zero"},
        {0xC000008F, L"floating-point inexact result"},
        {0xC0000090, L"floating-point invalid operation"},
        {0xC0000091, L"floating-point overflow"},
        {0xC0000092, L"floating-point stack check"},
        {0xC0000093, L"floating-point underflow"},
        {0xC0000094, L"integer division by zero"},
        {0xC0000095, L"integer overflow"},
        {0xC0000096, L"privileged instruction"},
        {0xC00000FD, L"stack overflow"},
        {0xC0000374, L"heap corruption"},
        {0xC0000409, L"stack buffer overrun"},
        {0x80000001, L"guard page violation"},
        {0x80000002, L"misaligned data"},
        {0x80000003, L"breakpoint"},
        {0x80000004, L"single step"},
        {0xE06D7363, L"C++ exception"},
        {0xE0434352, L".NET exception"},
        {0xE0434F4D, L".NET exception"},
    };
    for (const auto& n : names)
        if (n.code == code) return n.name;
    return nullptr;
}

// Eight digits, or sixteen for an address above 4 GB.
std::wstring Hex(uintptr_t value, bool prefix) {
    const auto wide = static_cast<uint64_t>(value);
    std::wstring text = prefix ? L"0x" : L"";
    for (int digit = (wide >> 32) ? 15 : 7; digit >= 0; --digit)
        text += L"0123456789ABCDEF"[(wide >> (4 * digit)) & 0xF];
    return text;
}

std::wstring AccessDetail(const Fault& fault) {
    if (fault.Code != EXCEPTION_ACCESS_VIOLATION || fault.ParamCount < 2) return L"";
    const wchar_t* how = fault.Params[0] == 0   ? L" reading"
                         : fault.Params[0] == 8 ? L" executing"
                                                : L" writing";
    return how + std::wstring(L" address ") + Hex(fault.Params[1], true);
}

std::wstring Location(uintptr_t address, const FaultSite& site) {
    if (!site.Module[0]) return L" at address " + Hex(address, true) + L", outside any module";
    return L" in " + std::wstring(site.Module) + L" at offset " + Hex(address - site.Base, true);
}

}  // namespace

FaultSite LocateFault(uintptr_t address) {
    FaultSite site;
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(address), &module))
        return site;
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameW(module, path, static_cast<DWORD>(std::size(path)));
    DWORD name = n;
    while (name > 0 && path[name - 1] != L'\\' && path[name - 1] != L'/') --name;
    lstrcpynW(site.Module, path + name, static_cast<int>(std::size(site.Module)));
    site.Base = reinterpret_cast<uintptr_t>(module);
    return site;
}

std::wstring DescribeFault(const Fault& fault, const FaultSite& site) {
    const wchar_t* name = FaultName(fault.Code);
    std::wstring text = Hex(fault.Code, false);
    if (name) text += L" (" + std::wstring(name) + AccessDetail(fault) + L")";
    return text + Location(fault.Address, site);
}

}  // namespace services
