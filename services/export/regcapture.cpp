#include "regcapture.h"

#include <windows.h>

#include <cwchar>
#include <optional>

namespace services {
namespace {

// Other roots' classes stand for the merged ones, as a server's readers see them.
const wchar_t* const kClassRoots[] = {L"HKEY_LOCAL_MACHINE\\Software\\Classes",
                                      L"HKEY_CURRENT_USER\\Software\\Classes"};

bool StartsWithPart(const std::wstring& name, const std::wstring& prefix) {
    return name.size() >= prefix.size() && SameRegName(name.substr(0, prefix.size()), prefix) &&
           (name.size() == prefix.size() || name[prefix.size()] == L'\\');
}

// Drops "\WOW6432Node" wherever it follows the classes or HKLM\Software.
std::wstring OwnKindName(std::wstring name) {
    for (const wchar_t* root : kClassRoots)
        if (StartsWithPart(name, root)) name = L"HKEY_CLASSES_ROOT" + name.substr(wcslen(root));
    for (const wchar_t* parent : {L"HKEY_CLASSES_ROOT", L"HKEY_LOCAL_MACHINE\\Software"}) {
        const std::wstring node = std::wstring(parent) + L"\\WOW6432Node";
        if (StartsWithPart(name, node)) return parent + name.substr(node.size());
    }
    return name;
}

// A quoted text from `at` (on its opening quote), unescaped; `at` ends past the closing quote.
std::optional<std::wstring> Unquote(const std::wstring& line, size_t& at) {
    std::wstring text;
    for (++at; at < line.size(); ++at) {
        wchar_t c = line[at];
        if (c == L'"') {
            ++at;
            return text;
        }
        if (c == L'\\' && ++at < line.size()) {
            c = line[at];
            c = c == L'r' ? L'\r' : c == L'n' ? L'\n' : c;
        }
        text += c;
    }
    return std::nullopt;
}

std::vector<uint8_t> HexBytes(const std::wstring& text) {
    std::vector<uint8_t> bytes;
    for (size_t at = 0; at < text.size();) {
        wchar_t* end = nullptr;
        const unsigned long byte = wcstoul(text.c_str() + at, &end, 16);
        if (end == text.c_str() + at) break;
        bytes.push_back(static_cast<uint8_t>(byte));
        at = static_cast<size_t>(end - text.c_str());
        at = text.find(L',', at);
        if (at == std::wstring::npos) break;
        ++at;
    }
    return bytes;
}

// The data after '=': a text, a dword or bytes; nullopt for a deletion.
std::optional<RegValue> ValueData(const std::wstring& line, size_t at) {
    RegValue value;
    if (at < line.size() && line[at] == L'"') {
        const std::optional<std::wstring> text = Unquote(line, at);
        if (!text) return std::nullopt;
        const auto* bytes = reinterpret_cast<const uint8_t*>(text->c_str());
        value.Type = REG_SZ;
        value.Data.assign(bytes, bytes + (text->size() + 1) * sizeof(wchar_t));
        return value;
    }
    const std::wstring data = line.substr(at);
    if (data.rfind(L"dword:", 0) == 0) {
        const unsigned long number = wcstoul(data.c_str() + 6, nullptr, 16);
        value.Type = REG_DWORD;
        for (int shift = 0; shift < 32; shift += 8)
            value.Data.push_back(static_cast<uint8_t>(number >> shift));
        return value;
    }
    if (data.rfind(L"hex", 0) != 0) return std::nullopt;
    const size_t colon = data.find(L':');
    if (colon == std::wstring::npos) return std::nullopt;
    value.Type = data[3] == L'(' ? wcstoul(data.c_str() + 4, nullptr, 16) : REG_BINARY;
    value.Data = HexBytes(data.substr(colon + 1));
    return value;
}

std::optional<RegValue> ValueLine(const std::wstring& line) {
    size_t at = 0;
    std::wstring name;
    if (line[0] == L'@') {
        at = 1;
    } else {
        const std::optional<std::wstring> quoted = Unquote(line, at);
        if (!quoted) return std::nullopt;
        name = *quoted;
    }
    if (at >= line.size() || line[at] != L'=') return std::nullopt;
    std::optional<RegValue> value = ValueData(line, at + 1);
    if (value) value->Name = name;
    return value;
}

}  // namespace

std::vector<CapturedKey> ReadCapture(const std::wstring& regText) {
    std::vector<CapturedKey> keys;
    bool inKey = false;
    for (size_t at = 0; at < regText.size();) {
        size_t end = regText.find(L"\r\n", at);
        if (end == std::wstring::npos) end = regText.size();
        const std::wstring line = regText.substr(at, end - at);
        at = end + 2;
        if (line.empty() || line[0] == L';') continue;
        if (line[0] == L'[') {
            const size_t close = line.rfind(L']');
            inKey = line.size() > 1 && line[1] != L'-' && close != std::wstring::npos;
            if (inKey) keys.push_back({OwnKindName(line.substr(1, close - 1)), {}});
            continue;
        }
        if (!inKey || (line[0] != L'@' && line[0] != L'"')) continue;
        if (std::optional<RegValue> value = ValueLine(line)) keys.back().Values.push_back(std::move(*value));
    }
    return keys;
}

std::wstring CapturedText(const CapturedKey& key, const std::wstring& name) {
    for (const RegValue& value : key.Values) {
        if (!SameRegName(value.Name, name)) continue;
        if ((value.Type != REG_SZ && value.Type != REG_EXPAND_SZ) || value.Data.size() < 2) return L"";
        std::wstring text(reinterpret_cast<const wchar_t*>(value.Data.data()), value.Data.size() / 2);
        return text.substr(0, text.find(L'\0'));
    }
    return L"";
}

}  // namespace services
