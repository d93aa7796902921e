#include "manifest.h"

#include <cwchar>
#include <map>

#include "xmltext.h"

namespace services {
namespace {

const wchar_t* const kOleMisc[] = {L"recomposeonresize",
                                   L"onlyiconic",
                                   L"insertnotreplace",
                                   L"static",
                                   L"cantlinkinside",
                                   L"canlinkbyole1",
                                   L"islinkobject",
                                   L"insideout",
                                   L"activatewhenvisible",
                                   L"renderingisdeviceindependent",
                                   L"invisibleatruntime",
                                   L"alwaysrun",
                                   L"actslikebutton",
                                   L"actslikelabel",
                                   L"nouiactivate",
                                   L"alignable",
                                   L"simpleframe",
                                   L"setclientsitefirst",
                                   L"imemode",
                                   L"ignoreactivatewhenvisible",
                                   L"wantstomenumerge",
                                   L"supportsmultilevelundo"};

using Owners = std::map<std::wstring, std::wstring, RegNameLess>;  // ProgID, the class that keeps it

// The ProgID key's own CLSID first; else the first class that claims it.
Owners ProgIdOwners(const std::vector<ManifestFile>& files) {
    Owners owners, named;
    for (const ManifestFile& file : files)
        for (const auto& [progId, clsid] : file.Registration.ProgIds) named[progId] = clsid;
    for (const ManifestFile& file : files)
        for (const ComClass& c : file.Registration.Classes) {
            for (const auto& [progId, clsid] : named)
                if (SameRegName(clsid, c.Clsid)) owners[progId] = clsid;
            for (const std::wstring& progId : {c.ProgId, c.IndependentProgId})
                if (!progId.empty() && !named.count(progId)) owners.emplace(progId, c.Clsid);
        }
    return owners;
}

// The class's ProgIDs that it keeps, its versioned one first.
std::vector<std::wstring> KeptProgIds(const ComClass& c, const Owners& owners) {
    std::vector<std::wstring> kept;
    const auto keep = [&](const std::wstring& progId) {
        for (const std::wstring& k : kept)
            if (SameRegName(k, progId)) return;
        kept.push_back(progId);
    };
    for (const std::wstring& progId : {c.ProgId, c.IndependentProgId})
        if (const auto owner = owners.find(progId);
            owner != owners.end() && SameRegName(owner->second, c.Clsid))
            keep(progId);
    for (const auto& [progId, clsid] : owners)
        if (SameRegName(clsid, c.Clsid)) keep(progId);
    return kept;
}

void LostProgIds(XmlLines& xml, const ComClass& c, const Owners& owners) {
    for (const std::wstring& progId : {c.ProgId, c.IndependentProgId}) {
        const auto owner = owners.find(progId);
        if (progId.empty() || owner == owners.end() || SameRegName(owner->second, c.Clsid)) continue;
        xml.Comment(L"ProgID " + progId + L" stays with class " + owner->second +
                    L", which its CLSID key names; class " + c.Clsid + L" claimed it too.");
    }
}

void ClassElement(XmlLines& xml, const ComClass& c, const Owners& owners) {
    LostProgIds(xml, c, owners);
    const std::vector<std::wstring> progIds = KeptProgIds(c, owners);
    XmlAttributes attributes = {{L"clsid", c.Clsid},
                                {L"threadingModel", c.ThreadingModel},
                                {L"progid", progIds.empty() ? L"" : progIds[0]},
                                {L"description", c.Description},
                                {L"tlbid", c.TypeLib}};
    if (!c.MiscStatus.empty())
        attributes.emplace_back(L"miscStatus", MiscStatusNames(wcstoul(c.MiscStatus.c_str(), nullptr, 10)));
    const std::pair<int, const wchar_t*> aspects[] = {{1, L"miscStatusContent"},
                                                      {2, L"miscStatusThumbnail"},
                                                      {4, L"miscStatusIcon"},
                                                      {8, L"miscStatusDocprint"}};
    for (const auto& [aspect, text] : c.Aspects)
        for (const auto& [number, name] : aspects)
            if (aspect == number)
                attributes.emplace_back(name, MiscStatusNames(wcstoul(text.c_str(), nullptr, 10)));
    if (progIds.size() < 2) return xml.Open(L"comClass", attributes, true);
    xml.Open(L"comClass", attributes);
    for (size_t i = 1; i < progIds.size(); ++i) xml.Element(L"progid", progIds[i]);
    xml.Close(L"comClass");
}

std::wstring TypeLibFlags(unsigned long flags) {
    std::wstring text;
    const std::pair<unsigned long, const wchar_t*> names[] = {
        {1, L"restricted"}, {2, L"control"}, {4, L"hidden"}, {8, L"hasdiskimage"}};
    for (const auto& [bit, name] : names)
        if (flags & bit) text += (text.empty() ? L"" : L",") + std::wstring(name);
    return text;
}

void InterfaceElement(XmlLines& xml, const wchar_t* element, const ComInterface& i) {
    xml.Open(
        element,
        {{L"iid", i.Iid}, {L"name", i.Name}, {L"tlbid", i.TypeLib}, {L"proxyStubClsid32", i.ProxyStubClsid}},
        true);
}

bool OwnClass(const ComRegistration& r, const std::wstring& clsid) {
    for (const ComClass& c : r.Classes)
        if (SameRegName(c.Clsid, clsid)) return true;
    return false;
}

// A class the file registers for another server (a system DLL, say) is not
// the file's to serve, whatever its path's form ("x.dll", "C:\\...\\x.dll").
bool Serves(const ComClass& c, const std::wstring& file) {
    const std::wstring server = c.Server.substr(c.Server.find_last_of(L"\\/") + 1);
    return SameRegName(server, file);
}

void FileElement(XmlLines& xml, const ManifestFile& file, const Owners& owners) {
    xml.Open(L"file", {{L"name", file.Name}});
    for (const ComClass& c : file.Registration.Classes) {
        if (Serves(c, file.Name))
            ClassElement(xml, c, owners);
        else
            xml.Comment(L"Class " + c.Clsid + L" is registered for " + c.Server +
                        L", not this file: left out.");
    }
    // The type library's help lies beside the file once it travels with it.
    for (const ComTypeLib& t : file.Registration.TypeLibs)
        xml.Open(L"typelib",
                 {{L"tlbid", t.LibId},
                  {L"version", t.Version},
                  {L"helpdir", L""},
                  {L"flags", TypeLibFlags(t.Flags)}},
                 true, L"helpdir");
    for (const ComInterface& i : file.Registration.Interfaces)
        if (OwnClass(file.Registration, i.ProxyStubClsid)) InterfaceElement(xml, L"comInterfaceProxyStub", i);
    xml.Close(L"file");
}

}  // namespace

std::wstring MiscStatusNames(unsigned long bits) {
    std::wstring text;
    for (size_t i = 0; i < std::size(kOleMisc); ++i)
        if (bits & (1ul << i)) text += (text.empty() ? L"" : L",") + std::wstring(kOleMisc[i]);
    return text;
}

std::wstring ManifestText(const AssemblyIdentity& identity, const std::vector<ManifestFile>& files) {
    XmlLines xml;
    xml.Open(L"assembly", {{L"xmlns", L"urn:schemas-microsoft-com:asm.v1"}, {L"manifestVersion", L"1.0"}});
    xml.Open(L"assemblyIdentity",
             {{L"type", L"win32"},
              {L"name", identity.Name},
              {L"version", identity.Version},
              {L"processorArchitecture", identity.Bits64 ? L"amd64" : L"x86"}},
             true);
    const Owners owners = ProgIdOwners(files);
    for (const ManifestFile& file : files) FileElement(xml, file, owners);
    for (const ManifestFile& file : files)
        for (const ComInterface& i : file.Registration.Interfaces)
            if (TypeLibMarshaled(i)) InterfaceElement(xml, L"comInterfaceExternalProxyStub", i);
    xml.Close(L"assembly");
    return xml.Text();
}

}  // namespace services
