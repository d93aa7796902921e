#include "comregistration.h"

#include <cstdlib>
#include <cwchar>

#include "registry/comkeys.h"

namespace services {
namespace {

using Parts = std::vector<std::wstring>;

// The key's name below HKEY_CLASSES_ROOT, part by part; empty for another root's.
Parts ClassParts(const std::wstring& name) {
    static const std::wstring root = L"HKEY_CLASSES_ROOT\\";
    if (name.size() <= root.size() || !SameRegName(name.substr(0, root.size()), root)) return {};
    Parts parts;
    for (size_t at = root.size(); at <= name.size();) {
        size_t end = name.find(L'\\', at);
        if (end == std::wstring::npos) end = name.size();
        parts.push_back(name.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

bool Is(const std::wstring& part, const wchar_t* name) {
    return SameRegName(part, name);
}

// Finds or makes the entry whose key `field` equals `id`.
template <class T>
T& Entry(std::vector<T>& list, std::wstring T::*field, const std::wstring& id) {
    for (T& item : list)
        if (SameRegName(item.*field, id)) return item;
    list.push_back({});
    list.back().*field = id;
    return list.back();
}

void ReadClassKey(ComClass& c, const Parts& p, const CapturedKey& key) {
    const std::wstring text = CapturedText(key);
    if (p.size() == 2) c.Description = text;
    if (p.size() == 3 && Is(p[2], kInprocServerKey)) {
        c.Server = text;
        c.ThreadingModel = CapturedText(key, L"ThreadingModel");
    }
    if (p.size() == 3 && Is(p[2], L"ProgID")) c.ProgId = text;
    if (p.size() == 3 && Is(p[2], L"VersionIndependentProgID")) c.IndependentProgId = text;
    if (p.size() == 3 && Is(p[2], L"TypeLib")) c.TypeLib = text;
    if (p.size() == 3 && Is(p[2], L"MiscStatus")) c.MiscStatus = text;
    if (p.size() == 4 && Is(p[2], L"MiscStatus")) c.Aspects.emplace_back(_wtoi(p[3].c_str()), text);
}

void ReadTypeLibKey(ComTypeLib& t, const Parts& p, const CapturedKey& key) {
    if (p.size() >= 3 && t.Version.empty()) t.Version = p[2];
    if (p.size() == 4 && Is(p[3], L"FLAGS")) t.Flags = wcstoul(CapturedText(key).c_str(), nullptr, 16);
    if (p.size() == 4 && Is(p[3], L"HELPDIR")) t.HelpDir = CapturedText(key);
}

void ReadInterfaceKey(ComInterface& i, const Parts& p, const CapturedKey& key) {
    if (p.size() == 2) i.Name = CapturedText(key);
    if (p.size() == 3 && Is(p[2], L"ProxyStubClsid32")) i.ProxyStubClsid = CapturedText(key);
    if (p.size() == 3 && Is(p[2], L"TypeLib")) i.TypeLib = CapturedText(key);
}

}  // namespace

ComRegistration ReadComRegistration(const std::vector<CapturedKey>& keys) {
    ComRegistration all;
    std::vector<ComClass> classes;
    for (const CapturedKey& key : keys) {
        const Parts p = ClassParts(key.Name);
        if (p.size() < 2) continue;
        if (Is(p[0], L"CLSID"))
            ReadClassKey(Entry(classes, &ComClass::Clsid, p[1]), p, key);
        else if (Is(p[0], L"TypeLib"))
            ReadTypeLibKey(Entry(all.TypeLibs, &ComTypeLib::LibId, p[1]), p, key);
        else if (Is(p[0], L"Interface"))
            ReadInterfaceKey(Entry(all.Interfaces, &ComInterface::Iid, p[1]), p, key);
        else if (p.size() == 2 && Is(p[1], L"CLSID") && !Is(p[0], L"AppID"))
            all.ProgIds.emplace_back(p[0], CapturedText(key));
    }
    for (ComClass& c : classes)
        if (!c.Server.empty()) all.Classes.push_back(std::move(c));
    return all;
}

bool TypeLibMarshaled(const ComInterface& item) {
    return SameRegName(item.ProxyStubClsid, L"{00020424-0000-0000-C000-000000000046}") ||
           SameRegName(item.ProxyStubClsid, L"{00020420-0000-0000-C000-000000000046}");
}

}  // namespace services
