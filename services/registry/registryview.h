// The two views of the registry on 64-bit Windows: a server registers in the
// view of its own kind, and is found there by clients of that kind.
#pragma once

#include <windows.h>

namespace services {

enum class RegistryView { Bits32, Bits64 };

// The access flag that opens a key in the view; a 32-bit system ignores it.
inline REGSAM ViewAccess(RegistryView view) {
    return view == RegistryView::Bits64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

}  // namespace services
