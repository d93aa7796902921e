// A DLL beside its server that needs the helper no search finds.
#include <windows.h>

extern "C" __declspec(dllimport) HRESULT ProbeHelperAnswer();

extern "C" __declspec(dllexport) HRESULT ProbeMiddleAnswer() {
    return ProbeHelperAnswer();
}
