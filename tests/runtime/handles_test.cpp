#include "runtime/handles.h"

#include "runtime/comscope.h"
#include "runtime/dragdrop.h"

#include <gtest/gtest.h>
#include <objidl.h>

#include <functional>
#include <utility>

namespace {

bool IsOpen(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

// Each row gets two fresh events and an owner that outlives it; after the row,
// each event is open exactly when the row expects it.
TEST(HandleOwners, CloseWhatTheyOwnAndNothingElse) {
    const struct {
        const char* name;
        std::function<void(HANDLE a, HANDLE b, rt::Handle& kept)> run;
        bool aOpen;
    } rows[] = {
        {"closes at scope end", [](HANDLE a, HANDLE, rt::Handle&) { rt::Handle h(a); }, false},
        {"a move hands it on",
         [](HANDLE a, HANDLE, rt::Handle& kept) {
             rt::Handle h(a);
             kept = rt::Handle(std::move(h));
             EXPECT_FALSE(h);
         },
         true},
        {"a move onto an owner closes its old one",
         [](HANDLE a, HANDLE b, rt::Handle& kept) {
             kept = rt::Handle(a);
             kept = rt::Handle(b);
         },
         false},
        {"Put closes the old one",
         [](HANDLE a, HANDLE b, rt::Handle& kept) {
             kept.Reset(a);
             *kept.Put() = b;
         },
         false},
        {"Release gives it away",
         [](HANDLE a, HANDLE, rt::Handle&) { EXPECT_EQ(rt::Handle(a).Release(), a); }, true},
        {"INVALID_HANDLE_VALUE is empty, however it arrives",
         [](HANDLE a, HANDLE, rt::Handle& kept) {
             EXPECT_FALSE(rt::Handle(INVALID_HANDLE_VALUE));
             kept.Reset(a);
             *kept.Put() = INVALID_HANDLE_VALUE;  // as CreateFileW answers a failure
             EXPECT_FALSE(kept);
             EXPECT_EQ(kept.Release(), nullptr);
         },
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const HANDLE a = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        const HANDLE b = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ASSERT_TRUE(a && b);
        {
            rt::Handle kept;
            row.run(a, b, kept);
            EXPECT_EQ(IsOpen(a), row.aOpen);
            EXPECT_TRUE(IsOpen(b));
            for (HANDLE h : {a, b})
                if (h != kept.Get() && IsOpen(h)) rt::Handle{h};  // what the row left to the test
        }
        EXPECT_FALSE(IsOpen(a) || IsOpen(b));
    }
}

TEST(HandleOwners, FindHandleAndLocalMemory) {
    WIN32_FIND_DATAW found{};
    EXPECT_TRUE(rt::FindHandle(FindFirstFileW(L"C:\\windows\\*", &found)));
    EXPECT_FALSE(rt::FindHandle(FindFirstFileW(L"C:\\no-such-tessiver-folder\\*", &found)));

    rt::LocalMemory<wchar_t> text;
    ASSERT_TRUE(FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        ERROR_FILE_NOT_FOUND, 0, reinterpret_cast<wchar_t*>(text.Put()), 0, nullptr));
    rt::LocalMemory<wchar_t> moved(std::move(text));
    EXPECT_FALSE(text);
    EXPECT_TRUE(moved && *moved.Get());
}

LONG seen = 0;
LONG CALLBACK Count(EXCEPTION_POINTERS*) {
    ++seen;
    return EXCEPTION_CONTINUE_SEARCH;
}
LONG CALLBACK Continue(EXCEPTION_POINTERS* info) {
    return info->ExceptionRecord->ExceptionCode == 0xE0545356 ? EXCEPTION_CONTINUE_EXECUTION
                                                              : EXCEPTION_CONTINUE_SEARCH;
}

TEST(HandleOwners, VirtualMemoryVectoredHandlerModuleAndRegKey) {
    const auto state = [](void* at) {
        MEMORY_BASIC_INFORMATION info{};
        return VirtualQuery(at, &info, sizeof info) ? info.State : 0;
    };
    rt::VirtualMemory pages(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    void* const at = pages.Get();
    ASSERT_EQ(state(at), static_cast<DWORD>(MEM_COMMIT));
    pages.Reset();
    EXPECT_EQ(state(at), static_cast<DWORD>(MEM_FREE));

    // The last handler lets the test's own exception go on; the owned one only counts.
    const rt::VectoredHandler last(AddVectoredExceptionHandler(0, &Continue));
    rt::VectoredHandler counting(AddVectoredExceptionHandler(1, &Count));
    ASSERT_TRUE(last && counting);
    RaiseException(0xE0545356, 0, 0, nullptr);
    EXPECT_EQ(seen, 1);
    counting.Reset();
    RaiseException(0xE0545356, 0, 0, nullptr);
    EXPECT_EQ(seen, 1);

    // A library nothing else in the process holds leaves with its owner.
    rt::Module library(LoadLibraryExW(L"msimg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    ASSERT_TRUE(library);
    EXPECT_EQ(GetModuleHandleW(L"msimg32.dll"), library.Get());
    library.Reset();
    EXPECT_EQ(GetModuleHandleW(L"msimg32.dll"), nullptr);

    rt::RegKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, key.Put()), ERROR_SUCCESS);
    const HKEY open = key.Get();
    key.Reset();
    EXPECT_EQ(RegQueryInfoKeyW(open, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
}

// A drop registration is revoked once, when its owner lets it go.
TEST(HandleOwners, DropRegistrationsAreRevokedWithTheirOwner) {
    const rt::ComScope ole = rt::ComScope::Ole();
    ASSERT_TRUE(ole.Entered());
    rt::WindowHandle window(
        CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    rt::ComPtr<IDropTarget> target;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, reinterpret_cast<IStream**>(target.Put())), S_OK);
    // Registration keeps only the pointer; the stream is never called here.
    rt::DropRegistration registration;
    ASSERT_EQ(RegisterDragDrop(window.Get(), target.Get()), S_OK);
    registration.Reset(window.Get());
    EXPECT_EQ(RegisterDragDrop(window.Get(), target.Get()), DRAGDROP_E_ALREADYREGISTERED);
    registration.Reset();
    EXPECT_EQ(RegisterDragDrop(window.Get(), target.Get()), S_OK);
    registration.Reset(window.Get());
}

// A real COM object's count, read without changing it.
ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST(HandleOwners, ComPtrKeepsTheCountBalanced) {
    rt::ComPtr<IStream> own;  // the test's reference
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, own.Put()), S_OK);
    const ULONG base = References(own.Get());
    const struct {
        const char* name;
        std::function<void(rt::ComPtr<IStream>& kept)> run;
        ULONG kept;  // references `kept` holds after the row
    } rows[] = {
        {"Share adds one, given back at scope end",
         [&](rt::ComPtr<IStream>&) {
             EXPECT_EQ(References(rt::ComPtr<IStream>::Share(own.Get()).Get()), base + 1);
         },
         0},
        {"a copy adds one, onto itself too",
         [&](rt::ComPtr<IStream>& kept) {
             kept = own;
             kept = static_cast<const rt::ComPtr<IStream>&>(kept);
         },
         1},
        {"a move adds none",
         [&](rt::ComPtr<IStream>& kept) {
             auto shared = rt::ComPtr<IStream>::Share(own.Get());
             kept = std::move(shared);
             EXPECT_FALSE(shared);
         },
         1},
        {"Put releases the old one",
         [&](rt::ComPtr<IStream>& kept) {
             kept = own;
             kept.Put();
         },
         0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        {
            rt::ComPtr<IStream> kept;
            row.run(kept);
            EXPECT_EQ(References(own.Get()), base + row.kept);
        }
        EXPECT_EQ(References(own.Get()), base);
    }
}

}  // namespace
