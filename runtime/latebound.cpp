#include "latebound.h"

namespace rt {

FARPROC LateBoundExport(const wchar_t* dll, const char* name) {
    // Never freed: the functions may be called again at any time until the process ends.
    const HMODULE module = LoadLibraryW(dll);
    return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace rt
