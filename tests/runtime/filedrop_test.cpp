#include "runtime/filedrop.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;
using Names = std::vector<std::wstring>;

// A drop block: the header, then `list` as it lies in memory.
Bytes Drop(const Bytes& list, BOOL wide = TRUE, DWORD offset = sizeof(DROPFILES)) {
    DROPFILES header{};
    header.pFiles = offset;
    header.fWide = wide;
    Bytes block(sizeof header + list.size());
    std::memcpy(block.data(), &header, sizeof header);
    if (!list.empty()) std::memcpy(block.data() + sizeof header, list.data(), list.size());
    return block;
}

Bytes Wide(const std::wstring& text) {
    Bytes bytes(text.size() * sizeof(wchar_t));
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

Bytes Narrow(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

HGLOBAL Global(const Bytes& bytes) {
    HGLOBAL memory = GlobalAlloc(GHND, bytes.size());
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    return memory;
}

// Only a well-formed drop gives names and is freed; anything else is left as it was.
TEST(TakeDroppedFiles, OnlyAWellFormedDropIsReadAndFreed) {
    const struct {
        const char* what;
        Bytes block;
        Names names;
    } cases[] = {
        {"wide",
         Drop(Wide(std::wstring(L"C:\\a b.dll\0C:\\\u0444.ocx\0\0", 23))),
         {L"C:\\a b.dll", L"C:\\\u0444.ocx"}},
        {"narrow", Drop(Narrow(std::string("C:\\x.ax\0\0", 9)), FALSE), {L"C:\\x.ax"}},
        {"list placed further on",
         Drop(Wide(std::wstring(L"??C:\\y\0\0", 8)), TRUE, sizeof(DROPFILES) + 4),
         {L"C:\\y"}},
        {"no closing NUL", Drop(Wide(std::wstring(L"C:\\a\0C:\\b\0", 10))), {}},
        {"list without a name", Drop(Wide(std::wstring(L"\0\0", 2))), {}},
        {"list inside the header", Drop(Wide(std::wstring(L"C:\\a\0\0", 6)), TRUE, 4), {}},
        {"list past the block", Drop(Wide(std::wstring(L"C:\\a\0\0", 6)), TRUE, 4096), {}},
        {"neither wide nor narrow", Drop(Wide(std::wstring(L"C:\\a\0\0", 6)), 2), {}},
        {"a line break in a name", Drop(Wide(std::wstring(L"C:\\a\r\nb\0\0", 9))), {}},
        {"header only", Drop({}), {}},
    };
    for (const auto& c : cases) {
        HGLOBAL memory = Global(c.block);
        EXPECT_EQ(rt::TakeDroppedFiles(static_cast<HDROP>(memory)), c.names) << c.what;
        const bool freed = GlobalSize(memory) == 0;
        EXPECT_EQ(freed, !c.names.empty()) << c.what;
        if (!freed) GlobalFree(memory);
    }
}

}  // namespace
