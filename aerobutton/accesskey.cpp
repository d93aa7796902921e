#include "accesskey.h"

#include <windows.h>

namespace aero {

std::wstring GetAccessKey(const std::wstring& caption) {
    if (caption.size() < 2) return {};
    // Backwards from the next-to-last character, so that the marked letter always exists.
    for (size_t i = caption.size() - 1; i-- > 0;) {
        if (caption[i] != L'&') continue;
        // A doubled ampersand is literal text (also a trailing one, whose second
        // half the search never visits); keep searching before it.
        if (caption[i + 1] == L'&') continue;
        if (i > 0 && caption[i - 1] == L'&') {
            if (i < 2) return {};
            --i;
            continue;
        }
        std::wstring key(1, caption[i + 1]);
        CharLowerBuffW(key.data(), 1);
        return key;
    }
    return {};
}

}  // namespace aero
