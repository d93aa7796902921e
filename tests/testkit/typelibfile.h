// A copy of a server that carries a type library of the test's making, as a
// TYPELIB resource: one coclass in a library of its own.
#pragma once

#include <windows.h>
// The platform headers below build on windows.h.
#include <oleauto.h>

#include <string>
#include <vector>

#include "pefile.h"
#include "runtime/handles.h"

namespace testkit {

// `scratch` holds the library on its way into the copy. False on any failure.
inline bool CopyWithTypeLib(const std::wstring& server, const std::wstring& copy, const std::wstring& scratch,
                            const GUID& libid, const GUID& clsid) {
    {
        rt::ComPtr<ICreateTypeLib2> library;
        rt::ComPtr<ICreateTypeInfo> coclass;
        if (CreateTypeLib2(SYS_WIN32, scratch.c_str(), library.Put()) != S_OK) return false;
        library->SetGuid(libid);
        library->SetVersion(1, 0);
        library->SetName(const_cast<LPOLESTR>(L"TessiverOwn"));
        if (library->CreateTypeInfo(const_cast<LPOLESTR>(L"OwnObject"), TKIND_COCLASS, coclass.Put()) != S_OK)
            return false;
        coclass->SetGuid(clsid);
        if (library->SaveAllChanges() != S_OK) return false;
    }
    std::vector<uint8_t> bytes = FileBytes(scratch);
    DeleteFileW(scratch.c_str());
    if (!CopyFileW(server.c_str(), copy.c_str(), FALSE)) return false;
    const HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
    return update &&
           UpdateResourceW(update, L"TYPELIB", MAKEINTRESOURCEW(1), 0, bytes.data(),
                           static_cast<DWORD>(bytes.size())) &&
           EndUpdateResourceW(update, FALSE);
}

}  // namespace testkit
