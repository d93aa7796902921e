#include "regfile.h"

#include <windows.h>

namespace services {
namespace {

std::wstring Quoted(const std::wstring& text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'"') quoted += L'\\';
        quoted += c;
    }
    return quoted + L"\"";
}

std::wstring ValueName(const std::wstring& name) {
    return name.empty() ? L"@" : Quoted(name);
}

std::wstring Hex(const std::vector<uint8_t>& data) {
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i) text += L',';
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    return text;
}

// A string value as it was stored, when it is one plain line ending in its
// terminator; anything else goes out as bytes, which imports unchanged.
bool PlainText(const std::vector<uint8_t>& data, std::wstring& text) {
    if (data.size() < 2 || data.size() % 2) return false;
    text.assign(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2);
    if (text.back() != L'\0') return false;
    text.pop_back();
    for (wchar_t c : text)
        if (c < 32) return false;
    return true;
}

std::wstring ValueData(const RegValue& value) {
    std::wstring text;
    if (value.Type == REG_SZ && PlainText(value.Data, text)) return Quoted(text);
    if (value.Type == REG_DWORD && value.Data.size() == 4) {
        wchar_t dword[16];
        wsprintfW(dword, L"dword:%08lx",
                  static_cast<unsigned long>(value.Data[0] | value.Data[1] << 8 | value.Data[2] << 16 |
                                             static_cast<uint32_t>(value.Data[3]) << 24));
        return dword;
    }
    if (value.Type == REG_BINARY) return L"hex:" + Hex(value.Data);
    wchar_t type[16];
    wsprintfW(type, L"hex(%lx):", static_cast<unsigned long>(value.Type));
    return type + Hex(value.Data);
}

}  // namespace

std::wstring RegFileText(const RegDiff& diff,
                         const std::function<std::wstring(const std::wstring&)>& keyName) {
    std::wstring text = kRegFileHeader;
    for (const RegKey& key : diff.Written) {
        const std::wstring name = keyName(key.Path);
        if (name.empty() || (key.Values.empty() && key.HasSubkeys)) continue;
        text += L"\r\n[" + name + L"]\r\n";
        for (const RegValue& value : key.Values)
            text += ValueName(value.Name) + L"=" + ValueData(value) + L"\r\n";
    }
    std::wstring lastKey;
    for (const auto& [path, value] : diff.DeletedValues) {
        const std::wstring name = keyName(path);
        if (name.empty()) continue;
        if (name != lastKey) text += L"\r\n[" + name + L"]\r\n";
        lastKey = name;
        text += ValueName(value) + L"=-\r\n";
    }
    for (const std::wstring& path : diff.DeletedKeys) {
        const std::wstring name = keyName(path);
        if (!name.empty()) text += L"\r\n[-" + name + L"]\r\n";
    }
    return text;
}

}  // namespace services
