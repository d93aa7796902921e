// A server that cannot load: it needs probemiddle.dll (beside it), which
// needs probehelper.dll, which is nowhere the loader looks.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

extern "C" __declspec(dllimport) HRESULT ProbeMiddleAnswer();

STDAPI DllRegisterServer() {
    return ProbeMiddleAnswer();
}
STDAPI DllUnregisterServer() {
    return ProbeMiddleAnswer();
}
