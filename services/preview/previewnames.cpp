#include "previewnames.h"

#include <windows.h>

#include <map>

#include "preview.h"
#include "registry/comkeys.h"

namespace services {
namespace {

const wchar_t kClasses[] = L"HKEY_CLASSES_ROOT\\CLSID\\";
const wchar_t kTypeLibs[] = L"HKEY_CLASSES_ROOT\\TypeLib\\";

std::wstring Text(const RegKey& key, const wchar_t* name) {
    for (const RegValue& value : key.Values)
        if (SameRegName(value.Name, name) && (value.Type == REG_SZ || value.Type == REG_EXPAND_SZ) &&
            value.Data.size() >= 2) {
            std::wstring text(reinterpret_cast<const wchar_t*>(value.Data.data()), value.Data.size() / 2);
            return text.substr(0, text.find(L'\0'));
        }
    return {};
}

// "{id}\rest" of a full key name below `root`: the id, and what follows it.
bool Split(const std::wstring& name, const wchar_t* root, std::wstring& id, std::wstring& rest) {
    const size_t length = wcslen(root);
    if (name.size() <= length || CompareStringOrdinal(name.c_str(), static_cast<int>(length), root,
                                                      static_cast<int>(length), TRUE) != CSTR_EQUAL)
        return false;
    const std::wstring below = name.substr(length);
    const size_t slash = below.find(L'\\');
    id = below.substr(0, slash);
    rest = slash == std::wstring::npos ? L"" : below.substr(slash + 1);
    return true;
}

}  // namespace

RegistryNames NamesInPreview(const RegTree& keys, RegistryView view, const std::wstring& file) {
    std::map<std::wstring, NamedClass, RegNameLess> classes;
    std::map<std::wstring, bool, RegNameLess> inProcess;
    RegistryNames names;
    names.view = view;
    names.file = file;
    for (const RegKey& key : keys) {
        const std::wstring name = PreviewKeyName(key.Path);
        std::wstring id, rest;
        if (Split(name, kClasses, id, rest)) {
            NamedClass& c = classes[id];
            c.clsid = id;
            if (rest.empty()) c.name = Text(key, L"");
            if (SameRegName(rest, L"ProgID")) c.progId = Text(key, L"");
            if (SameRegName(rest, kInprocServerKey)) {
                c.threadingModel = Text(key, L"ThreadingModel");
                inProcess[id] = true;
            }
        } else if (Split(name, kTypeLibs, id, rest) && !rest.empty() &&
                   rest.find(L'\\') == std::wstring::npos) {
            names.typeLibs.push_back({id, rest, Text(key, L"")});
        }
    }
    for (auto& [id, c] : classes)
        if (inProcess.count(id)) names.classes.push_back(std::move(c));
    return names;
}

}  // namespace services
