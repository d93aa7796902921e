// What a client of the export servers makes of a class's identifier or
// ProgID, as the loader resolves it: the class the object says it is.
#pragma once

#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include <string>

#include "testobject.h"

inline std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// Its IPersist, or the plain test object's own interface.
inline std::wstring ClassOf(IUnknown* object) {
    IPersist* persist = nullptr;
    CLSID clsid{};
    if (SUCCEEDED(object->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)))) {
        persist->GetClassID(&clsid);
        persist->Release();
        return GuidText(clsid);
    }
    IUnknown* plain = nullptr;
    if (FAILED(object->QueryInterface(IID_ITessiverTestObject, reinterpret_cast<void**>(&plain)))) return L"";
    plain->Release();
    return kTestObjectClsidText;
}

// Empty when the name resolves to no class or the class makes no object.
inline std::wstring Made(const std::wstring& name) {
    CLSID clsid{};
    if (name.empty() || (name[0] == L'{' ? FAILED(CLSIDFromString(name.c_str(), &clsid))
                                         : FAILED(CLSIDFromProgID(name.c_str(), &clsid))))
        return L"";
    IUnknown* object = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&object))))
        return L"";
    const std::wstring made = ClassOf(object);
    object->Release();
    return made;
}
