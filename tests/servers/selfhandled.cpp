// A server that raises exceptions and handles them itself, with frame-based
// handlers of its own and of the system, and still registers. It notes in the
// registry what it saw, for the tests to read.
#include <windows.h>
// The platform headers below build on windows.h.
#include <excpt.h>
#include <objbase.h>

#include "selfhandled.h"

namespace {

constexpr DWORD kOwnCode = 0xE0005E1F;

long handled = 0;

}  // namespace

#ifdef _MSC_VER

void SelfHandledRaise() {
    __try {
        RaiseException(kOwnCode, 0, 0, nullptr);
    } __except (GetExceptionCode() == kOwnCode ? (++handled, EXCEPTION_EXECUTE_HANDLER)
                                               : EXCEPTION_CONTINUE_SEARCH) {
    }
}

#else

constexpr DWORD kUnwinding = 0x2 | 0x4;  // EH_UNWINDING | EH_EXIT_UNWIND

extern "C" {
void SelfHandledRaise();

EXCEPTION_DISPOSITION __cdecl SelfHandledContinue(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
    if ((record->ExceptionFlags & kUnwinding) || record->ExceptionCode != kOwnCode)
        return ExceptionContinueSearch;
    ++handled;
    return ExceptionContinueExecution;
}
}

// Raises kOwnCode inside a frame whose handler takes it and lets execution go on.
asm(R"(
    .text
    .globl _SelfHandledRaise
_SelfHandledRaise:
    pushl $_SelfHandledContinue
    pushl %fs:0
    movl %esp, %fs:0
    pushl $0
    pushl $0
    pushl $0
    pushl $0xE0005E1F
    call _RaiseException@16
    movl (%esp), %eax
    movl %eax, %fs:0
    addl $8, %esp
    ret
)");

#endif

STDAPI DllRegisterServer() {
    handled = 0;
    SelfHandledRaise();
    // The system's probe handles the access violation it causes.
    const DWORD probed = IsBadReadPtr(reinterpret_cast<const void*>(0x10), 4) ? 1 : 0;
    const DWORD waitCursor = GetCursor() == LoadCursorW(nullptr, IDC_WAIT) ? 1 : 0;
    const DWORD own = static_cast<DWORD>(handled);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSelfHandledNotes, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr))
        return E_FAIL;
    RegSetValueExW(key, L"Handled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&own), sizeof own);
    RegSetValueExW(key, L"Probed", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&probed), sizeof probed);
    RegSetValueExW(key, L"WaitCursor", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&waitCursor),
                   sizeof waitCursor);
    RegCloseKey(key);
    return own == 1 && probed ? S_OK : E_UNEXPECTED;
}

STDAPI DllUnregisterServer() {
    const LONG rc = RegDeleteTreeW(HKEY_CURRENT_USER, kSelfHandledNotes);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(rc);
}
