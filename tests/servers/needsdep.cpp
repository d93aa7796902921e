// A server that cannot load unless its helper DLL, lying beside it, is found.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

extern "C" __declspec(dllimport) HRESULT BesideHelperAnswer();

STDAPI DllRegisterServer() {
    return BesideHelperAnswer();
}
STDAPI DllUnregisterServer() {
    return BesideHelperAnswer();
}
