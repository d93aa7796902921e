#include "wixfragment.h"

#include <windows.h>

#include <cwctype>

#include "xmltext.h"

namespace services {
namespace {

const wchar_t kFolderId[] = L"INSTALLFOLDER";

// Formatted text: brackets are the installer's own, so the captured ones are escaped.
std::wstring Formatted(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'[')
            out += L"[\\[]";
        else if (c == L']')
            out += L"[\\]]";
        else
            out += c;
    }
    return out;
}

void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) {
    for (size_t at = 0; !from.empty() && at + from.size() <= text.size();) {
        if (SameRegName(text.substr(at, from.size()), from)) {
            text.replace(at, from.size(), to);
            at += to.size();
        } else {
            ++at;
        }
    }
}

// The server's own path and folder become the installed ones, in any case,
// wherever they stand; the folder also at the end without its backslash (a
// type library's HELPDIR), though the installer's folder keeps its own.
std::wstring Installed(const std::wstring& text, const WixServer& server, const std::wstring& fileId) {
    std::wstring out = Formatted(text);
    const std::wstring folder = Formatted(server.Path.substr(0, server.Path.rfind(L'\\') + 1));
    const std::wstring installedFolder = L"[" + std::wstring(kFolderId) + L"]";
    ReplaceAll(out, Formatted(server.Path), L"[#" + fileId + L"]");
    ReplaceAll(out, folder, installedFolder);
    const size_t bare = folder.empty() ? 0 : folder.size() - 1;
    if (bare && out.size() >= bare && SameRegName(out.substr(out.size() - bare), folder.substr(0, bare)))
        out.replace(out.size() - bare, bare, installedFolder);
    return out;
}

std::wstring Root(const std::wstring& name, std::wstring& key) {
    const std::pair<const wchar_t*, const wchar_t*> roots[] = {{L"HKEY_CLASSES_ROOT", L"HKCR"},
                                                               {L"HKEY_LOCAL_MACHINE", L"HKLM"},
                                                               {L"HKEY_CURRENT_USER", L"HKCU"},
                                                               {L"HKEY_USERS", L"HKU"}};
    const size_t slash = name.find(L'\\');
    key = slash == std::wstring::npos ? L"" : name.substr(slash + 1);
    for (const auto& [full, shortName] : roots)
        if (SameRegName(name.substr(0, slash), full)) return shortName;
    return L"";
}

std::wstring TextOf(const RegValue& value) {
    std::wstring text(reinterpret_cast<const wchar_t*>(value.Data.data()), value.Data.size() / 2);
    return text.substr(0, text.find(L'\0'));
}

void ValueElement(XmlLines& xml, const XmlAttributes& where, const RegValue& value,
                  const std::wstring& text) {
    XmlAttributes attributes = where;
    attributes.emplace_back(L"Name", value.Name);
    wchar_t number[16];
    switch (value.Type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            attributes.emplace_back(L"Type", value.Type == REG_SZ ? L"string" : L"expandable");
            attributes.emplace_back(L"Value", text);
            break;
        case REG_DWORD:
            wsprintfW(number, L"%ld",
                      value.Data.size() == 4 ? *reinterpret_cast<const LONG*>(value.Data.data()) : 0L);
            attributes.emplace_back(L"Type", L"integer");
            attributes.emplace_back(L"Value", number);
            break;
        default:
            return xml.Comment(L"left out: the value \"" + value.Name +
                               L"\" of a type the schema cannot write.");
    }
    xml.Open(L"RegistryValue", attributes, true, L"Value");
}

void KeyElements(XmlLines& xml, const WixServer& server, const std::wstring& fileId, const CapturedKey& key) {
    std::wstring path;
    const std::wstring root = Root(key.Name, path);
    if (root.empty() || path.empty()) return;
    const XmlAttributes where = {{L"Root", root}, {L"Key", Formatted(path)}};
    if (key.Values.empty()) {
        XmlAttributes create = where;
        create.emplace_back(L"ForceCreateOnInstall", L"yes");
        return xml.Open(L"RegistryKey", create, true);
    }
    for (const RegValue& value : key.Values)
        ValueElement(xml, where, value, Installed(TextOf(value), server, fileId));
}

void Component(XmlLines& xml, const WixServer& server) {
    const std::wstring fileId = WixId(L"fil_", server.Name);
    xml.Open(L"Component", {{L"Id", WixId(L"cmp_", server.Name)},
                            {L"Guid", NameGuid(server.Name)},
                            {L"Win64", server.Bits64 ? L"yes" : L""}});
    xml.Open(L"File",
             {{L"Id", fileId}, {L"Name", server.Name}, {L"Source", server.Name}, {L"KeyPath", L"yes"}}, true);
    for (const CapturedKey& key : server.Keys) KeyElements(xml, server, fileId, key);
    xml.Close(L"Component");
}

}  // namespace

std::wstring WixId(const wchar_t* prefix, const std::wstring& name) {
    std::wstring id = prefix;
    for (wchar_t c : name) id += (c < 128 && (std::iswalnum(c) || c == L'.' || c == L'_')) ? c : L'_';
    return id.substr(0, 72);
}

// FNV-1a over the lower-case name, four times with other starts, shaped as a version-4 GUID.
std::wstring NameGuid(const std::wstring& name) {
    unsigned long parts[4];
    for (unsigned i = 0; i < 4; ++i) {
        unsigned long hash = 2166136261ul ^ (i * 0x9e3779b9ul);
        for (wchar_t c : name)
            hash = ((hash ^ static_cast<unsigned long>(std::towlower(c))) * 16777619ul) & 0xfffffffful;
        parts[i] = hash;
    }
    wchar_t text[40];
    wsprintfW(text, L"{%08lX-%04lX-4%03lX-%04lX-%04lX%08lX}", parts[0], parts[1] >> 16, parts[1] & 0xfff,
              (parts[2] >> 16 & 0x3fff) | 0x8000, parts[2] & 0xffff, parts[3]);
    return text;
}

std::wstring WixFragmentText(const std::vector<WixServer>& servers) {
    XmlLines xml;
    xml.Open(L"Wix", {{L"xmlns", L"http://schemas.microsoft.com/wix/2006/wi"}});
    xml.Open(L"Fragment", {});
    xml.Open(L"DirectoryRef", {{L"Id", kFolderId}});
    for (const WixServer& server : servers) Component(xml, server);
    xml.Close(L"DirectoryRef");
    xml.Open(L"ComponentGroup", {{L"Id", L"TessiverServers"}});
    for (const WixServer& server : servers)
        xml.Open(L"ComponentRef", {{L"Id", WixId(L"cmp_", server.Name)}}, true);
    xml.Close(L"ComponentGroup");
    xml.Close(L"Fragment");
    xml.Close(L"Wix");
    return xml.Text();
}

}  // namespace services
