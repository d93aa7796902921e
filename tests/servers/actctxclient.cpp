// A client of servers used unregistered, for the kind the test program is
// not: makes an activation context of the manifest named first, then for
// each "name=class" after it creates the name (an identifier or a ProgID)
// and compares the class the object says it is. Exit code: how many differed.
#include <windows.h>

#include <string>

#include "exportclient.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return -1;
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.lpSource = argv[1];
    const HANDLE context = CreateActCtxW(&request);
    ULONG_PTR cookie = 0;
    if (context == INVALID_HANDLE_VALUE || !ActivateActCtx(context, &cookie)) return -2;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return -3;
    int differed = 0;
    for (int i = 2; i < argc; ++i) {
        const std::wstring pair = argv[i];
        const size_t equals = pair.find(L'=');
        if (Made(pair.substr(0, equals)) != pair.substr(equals + 1)) ++differed;
    }
    CoUninitialize();
    return differed;
}
