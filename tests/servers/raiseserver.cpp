// A server whose exports let an exception escape, as a C++ exception thrown
// by a server built with another compiler does.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

namespace {

constexpr DWORD kCppException = 0xE06D7363;

HRESULT Throw() {
    const ULONG_PTR args[] = {0x19930520, 0, 0};
    RaiseException(kCppException, EXCEPTION_NONCONTINUABLE, 3, args);
    return S_OK;
}

}  // namespace

STDAPI DllRegisterServer() {
    return Throw();
}
STDAPI DllUnregisterServer() {
    return Throw();
}
