#include "regtext.h"

#include <vector>

namespace services {

std::optional<RegText> ReadRegText(HKEY key, const std::wstring& subKey, const wchar_t* name, bool* tooLong) {
    constexpr DWORD kFlags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    std::vector<wchar_t> buffer(512);
    for (;;) {
        DWORD type = 0, bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        const LONG rc = RegGetValueW(key, subKey.empty() ? nullptr : subKey.c_str(), name, kFlags, &type,
                                     buffer.data(), &bytes);
        if (rc == ERROR_MORE_DATA && bytes > (kLongestRegText + 1) * sizeof(wchar_t)) {
            if (tooLong) *tooLong = true;
            return std::nullopt;
        }
        if (rc == ERROR_MORE_DATA && bytes > buffer.size() * sizeof(wchar_t)) {
            buffer.resize(bytes / sizeof(wchar_t) + 1);
            continue;
        }
        if (rc != ERROR_SUCCESS) return std::nullopt;
        return RegText{std::wstring(buffer.data()), type};
    }
}

std::optional<std::wstring> SubkeyAt(HKEY key, DWORD index, ULONGLONG* written) {
    wchar_t name[256];  // the longest key name the registry allows, and its end
    DWORD length = static_cast<DWORD>(std::size(name));
    FILETIME time{};
    if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, &time) != ERROR_SUCCESS)
        return std::nullopt;
    if (written) *written = (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return std::wstring(name, length);
}

}  // namespace services
