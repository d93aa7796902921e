// A helper DLL built away from the servers that need it, so the loader never finds it.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT ProbeHelperAnswer() {
    return S_OK;
}
