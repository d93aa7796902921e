#include "regfile.h"

#include <windows.h>

#include <optional>

namespace services {
namespace {

// Keys of the classes that the 32-bit view keeps apart; the rest of the classes are shared.
const wchar_t* const kRedirectedClasses[] = {L"CLSID", L"DirectShow", L"Interface", L"Media Type",
                                             L"MediaFoundation"};
const wchar_t kWow32Node[] = L"WOW6432Node";

// True with the part after `prefix` and its backslash in `rest`.
bool After(const std::wstring& name, const std::wstring& prefix, std::wstring& rest) {
    if (name.size() <= prefix.size() || name[prefix.size()] != L'\\' ||
        !SameRegName(name.substr(0, prefix.size()), prefix))
        return false;
    rest = name.substr(prefix.size() + 1);
    return true;
}

std::wstring FirstPart(const std::wstring& path) {
    return path.substr(0, path.find(L'\\'));
}

bool RunsInWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The escapes the editor reads inside quotes; nullopt when the text holds a
// character that no escape carries.
std::optional<std::wstring> Quoted(const std::wstring& text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        if (c == L'\r' || c == L'\n') {
            quoted += c == L'\r' ? L"\\r" : L"\\n";
            continue;
        }
        if (c < 32 && c != L'\t') return std::nullopt;
        if (c == L'\\' || c == L'"') quoted += L'\\';
        quoted += c;
    }
    return quoted + L"\"";
}

// A key name goes between brackets as it is: no escape exists there.
bool CarriedKey(const std::wstring& name) {
    for (wchar_t c : name)
        if (c < 32) return false;
    return true;
}

// The comment that stands for what was left out, its control characters shown, not written.
std::wstring LeftOut(const wchar_t* what, const std::wstring& name) {
    std::wstring shown;
    for (wchar_t c : name) {
        if (c >= 32) {
            shown += c;
            continue;
        }
        wchar_t code[8];
        wsprintfW(code, L"\\x%02x", static_cast<unsigned>(c));
        shown += code;
    }
    return L"; left out: the " + std::wstring(what) + L" \"" + shown +
           L"\" has a character a registration file cannot carry.\r\n";
}

std::optional<std::wstring> ValueName(const std::wstring& name) {
    if (name.empty()) return L"@";
    return Quoted(name);
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
    if (value.Type == REG_SZ && PlainText(value.Data, text)) return *Quoted(text);
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

// One value's line, or the comment that it was left out.
std::wstring ValueLine(const std::wstring& name, const std::wstring& data) {
    const std::optional<std::wstring> quoted = ValueName(name);
    return quoted ? *quoted + L"=" + data + L"\r\n" : LeftOut(L"value", name);
}

// The key's line; false, with the comment, for a name that cannot go between brackets.
bool KeyLine(const std::wstring& name, const wchar_t* mark, std::wstring& text) {
    if (!CarriedKey(name)) {
        text += L"\r\n" + LeftOut(L"key", name);
        return false;
    }
    text += L"\r\n[" + std::wstring(mark) + name + L"]\r\n";
    return true;
}

}  // namespace

std::wstring Wow32ViewName(const std::wstring& name) {
    std::wstring rest;
    for (const wchar_t* classes : {L"HKEY_CLASSES_ROOT", L"HKEY_LOCAL_MACHINE\\Software\\Classes",
                                   L"HKEY_CURRENT_USER\\Software\\Classes"}) {
        if (!After(name, classes, rest)) continue;
        for (const wchar_t* redirected : kRedirectedClasses)
            if (SameRegName(FirstPart(rest), redirected))
                return name.substr(0, name.size() - rest.size()) + kWow32Node + L"\\" + rest;
        return name;
    }
    if (After(name, L"HKEY_LOCAL_MACHINE\\Software", rest) && !SameRegName(FirstPart(rest), L"Classes") &&
        !SameRegName(FirstPart(rest), kWow32Node))
        return name.substr(0, name.size() - rest.size()) + kWow32Node + L"\\" + rest;
    return name;
}

std::wstring RegFileText(const RegDiff& diff,
                         const std::function<std::wstring(const std::wstring&)>& keyName) {
    const bool wow64 = RunsInWow64();
    const auto fullName = [&](const std::wstring& path) {
        const std::wstring name = keyName(path);
        return wow64 && !name.empty() ? Wow32ViewName(name) : name;
    };
    std::wstring text = kRegFileHeader;
    for (const RegKey& key : diff.Written) {
        const std::wstring name = fullName(key.Path);
        if (name.empty() || (key.Values.empty() && key.HasSubkeys) || !KeyLine(name, L"", text)) continue;
        for (const RegValue& value : key.Values) text += ValueLine(value.Name, ValueData(value));
    }
    std::wstring lastKey;
    for (const auto& [path, value] : diff.DeletedValues) {
        const std::wstring name = fullName(path);
        if (name.empty() || (name != lastKey && !KeyLine(name, L"", text))) continue;
        lastKey = name;
        text += ValueLine(value, L"-");
    }
    for (const std::wstring& path : diff.DeletedKeys)
        if (const std::wstring name = fullName(path); !name.empty()) KeyLine(name, L"-", text);
    return text;
}

}  // namespace services
