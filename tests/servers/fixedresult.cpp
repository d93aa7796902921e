// Registration exports that do nothing but answer with a fixed HRESULT,
// chosen at build time (a refusing server, a server answering S_FALSE).
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

STDAPI DllRegisterServer() {
    return SERVER_RESULT;
}
STDAPI DllUnregisterServer() {
    return SERVER_RESULT;
}
