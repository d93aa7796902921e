#include "owntypelib.h"

#include <windows.h>
// The platform headers below build on windows.h.
#include <oleauto.h>

#include "runtime/handles.h"
#include "runtime/ondemand.h"

namespace services {
namespace {

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    return StringFromGUID2(guid, text, 40) ? text : L"";
}

}  // namespace

OwnTypeLib ReadOwnTypeLib(const std::wstring& file) {
    OwnTypeLib own;
    rt::ComPtr<ITypeLib> library;
    if (FAILED(rt::ondemand::LoadTypeLibEx(file.c_str(), REGKIND_NONE, library.Put()))) return own;
    TLIBATTR* attributes = nullptr;
    if (FAILED(library->GetLibAttr(&attributes))) return own;
    own.libid = GuidText(attributes->guid);
    library->ReleaseTLibAttr(attributes);
    for (UINT i = 0, n = library->GetTypeInfoCount(); i < n; ++i) {
        TYPEKIND kind{};
        rt::ComPtr<ITypeInfo> info;
        if (FAILED(library->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS ||
            FAILED(library->GetTypeInfo(i, info.Put())))
            continue;
        TYPEATTR* type = nullptr;
        if (FAILED(info->GetTypeAttr(&type))) continue;
        own.classes.push_back(GuidText(type->guid));
        info->ReleaseTypeAttr(type);
    }
    return own;
}

}  // namespace services
