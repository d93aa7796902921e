#include "handles.h"

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
        bool aOpen, bOpen;
    } rows[] = {
        {"closes at scope end", [](HANDLE a, HANDLE, rt::Handle&) { rt::Handle h(a); }, false, true},
        {"a move hands the handle on",
         [](HANDLE a, HANDLE, rt::Handle& kept) {
             rt::Handle h(a);
             rt::Handle moved(std::move(h));
             EXPECT_FALSE(h);
             kept = std::move(moved);
             EXPECT_EQ(kept.Get(), a);
         },
         true, true},
        {"moving over an owner closes its old handle",
         [](HANDLE a, HANDLE b, rt::Handle& kept) {
             kept = rt::Handle(a);
             kept = rt::Handle(b);
         },
         false, true},
        {"Put closes the old one",
         [](HANDLE a, HANDLE b, rt::Handle& kept) {
             kept.Reset(a);
             *kept.Put() = b;
             EXPECT_EQ(kept.Get(), b);
         },
         false, true},
        {"Release gives it away",
         [](HANDLE a, HANDLE, rt::Handle&) {
             rt::Handle h(a);
             EXPECT_EQ(h.Release(), a);
             EXPECT_FALSE(h);
         },
         true, true},
        {"INVALID_HANDLE_VALUE is empty, however it arrives",
         [](HANDLE a, HANDLE, rt::Handle& kept) {
             EXPECT_FALSE(rt::Handle(INVALID_HANDLE_VALUE));
             kept.Reset(a);
             *kept.Put() = INVALID_HANDLE_VALUE;  // as CreateFileW answers a failure
             EXPECT_FALSE(kept);
             EXPECT_EQ(kept.Get(), nullptr);
             EXPECT_EQ(kept.Release(), nullptr);
         },
         false, true},
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
            EXPECT_EQ(IsOpen(b), row.bOpen);
            // Whatever the row left open goes now, by its own owner.
            for (HANDLE h : {a, b})
                if (h != kept.Get() && IsOpen(h)) rt::Handle{h};
        }
        EXPECT_FALSE(IsOpen(a));
        EXPECT_FALSE(IsOpen(b));
    }
}

TEST(HandleOwners, FindHandleAndLocalMemory) {
    WIN32_FIND_DATAW found{};
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    EXPECT_TRUE(rt::FindHandle(FindFirstFileW((std::wstring(windows) + L"\\*").c_str(), &found)));
    EXPECT_FALSE(rt::FindHandle(FindFirstFileW(L"C:\\no-such-tessiver-folder\\*", &found)));

    rt::LocalMemory<wchar_t> text;
    ASSERT_TRUE(FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        ERROR_FILE_NOT_FOUND, 0, reinterpret_cast<wchar_t*>(text.Put()), 0, nullptr));
    rt::LocalMemory<wchar_t> moved(std::move(text));
    EXPECT_FALSE(text);
    ASSERT_TRUE(moved);
    EXPECT_GT(wcslen(moved.Get()), 0u);
}

// A real COM object's count, read without changing it.
ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST(HandleOwners, ComPtrKeepsTheCountBalanced) {
    IStream* raw = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &raw), S_OK);
    rt::ComPtr<IStream> witness(raw);  // the test's own reference
    const ULONG base = References(raw);
    const struct {
        const char* name;
        std::function<void(rt::ComPtr<IStream>& kept)> run;
        ULONG added;  // references the row leaves in `kept`
    } rows[] = {
        {"a shared one adds one and gives it back at scope end",
         [&](rt::ComPtr<IStream>&) {
             const auto shared = rt::ComPtr<IStream>::Share(raw);
             EXPECT_EQ(References(raw), base + 1);
         },
         0},
        {"a copy adds one", [&](rt::ComPtr<IStream>& kept) { kept = witness; }, 1},
        {"a move adds none",
         [&](rt::ComPtr<IStream>& kept) {
             auto shared = rt::ComPtr<IStream>::Share(raw);
             kept = std::move(shared);
             EXPECT_FALSE(shared);
         },
         1},
        {"Put releases the old one",
         [&](rt::ComPtr<IStream>& kept) {
             kept = witness;
             kept.Put();
             EXPECT_FALSE(kept);
         },
         0},
        {"copying onto itself keeps the count",
         [&](rt::ComPtr<IStream>& kept) {
             kept = witness;
             const rt::ComPtr<IStream>& same = kept;
             kept = same;
         },
         1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        {
            rt::ComPtr<IStream> kept;
            row.run(kept);
            EXPECT_EQ(References(raw), base + row.added);
        }
        EXPECT_EQ(References(raw), base);
    }
}

}  // namespace
