// A server that cannot load unless its helper DLL, lying beside it, is found.
#include <objbase.h>
#include <windows.h>

extern "C" __declspec(dllimport) HRESULT BesideHelperAnswer();

STDAPI DllRegisterServer() {
    return BesideHelperAnswer();
}
STDAPI DllUnregisterServer() {
    return BesideHelperAnswer();
}
