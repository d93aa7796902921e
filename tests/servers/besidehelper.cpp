// A helper DLL that lies only beside the server that imports it.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT BesideHelperAnswer() {
    return S_OK;
}
