/* A 64-bit server: a 32-bit process cannot load it. */
#include <windows.h>

__declspec(dllexport) HRESULT DllRegisterServer(void) { return S_OK; }
__declspec(dllexport) HRESULT DllUnregisterServer(void) { return S_OK; }
