// The one class of the test COM server, shared by the server and its tests.
#pragma once

#include <windows.h>
// The platform headers below build on windows.h.
#include <unknwn.h>

// {C0C6DFF0-060E-41C8-8299-B087C396BCAB}
inline constexpr CLSID CLSID_TessiverTestObject = {
    0xc0c6dff0, 0x060e, 0x41c8, {0x82, 0x99, 0xb0, 0x87, 0xc3, 0x96, 0xbc, 0xab}};
// {E8D60550-B52A-4806-BB5E-FAF1C4321A7F}
inline constexpr IID IID_ITessiverTestObject = {
    0xe8d60550, 0xb52a, 0x4806, {0xbb, 0x5e, 0xfa, 0xf1, 0xc4, 0x32, 0x1a, 0x7f}};

inline constexpr wchar_t kTestObjectProgId[] = L"Tessiver.TestObject";
inline constexpr wchar_t kTestObjectClsidText[] = L"{C0C6DFF0-060E-41C8-8299-B087C396BCAB}";

struct ITessiverTestObject : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Add(LONG a, LONG b, LONG* sum) = 0;
};
