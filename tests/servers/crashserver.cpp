// A server that crashes inside its exports: registering writes through a null
// pointer, unregistering recurses until the stack runs out.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

namespace {

// Volatile, so the compiler cannot see the null and put a trap in its place.
LONG* volatile nowhere = nullptr;

#ifdef _MSC_VER
__declspec(noinline)
#else
__attribute__((noinline))
#endif
    int Deeper(volatile char* above) {
    volatile char frame[4096];
    frame[0] = *above;
    if (frame[0] == 42 && above == frame) return 0;  // never: keeps the recursion unbounded without a warning
    return Deeper(frame) + frame[1];
}

}  // namespace

STDAPI DllRegisterServer() {
    *nowhere = 1;
    return S_OK;
}

STDAPI DllUnregisterServer() {
    volatile char start = 0;
    return Deeper(&start) == 0 ? S_OK : S_FALSE;
}
