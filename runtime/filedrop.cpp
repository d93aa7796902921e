#include "filedrop.h"

#include <shlobj.h>

#include <cstring>

#include "latebound.h"

namespace rt {
namespace {

// The message by which the system copies a drop's data into the receiving process.
constexpr UINT kCopyGlobalData = 0x0049;
// More than any list of paths a person drops; a larger block is no drop.
constexpr SIZE_T kMostDropBytes = SIZE_T{16} << 20;

// An elevated window takes only the messages it lets through from less trusted processes.
void LetDropsThrough(HWND window) {
    const UINT messages[] = {WM_DROPFILES, kCopyGlobalData};
    // Per window from Windows 7 on; Vista has only the filter of the whole process.
    static auto* perWindow =
        LateBound<decltype(ChangeWindowMessageFilterEx)>(L"user32.dll", "ChangeWindowMessageFilterEx");
    static auto* perProcess =
        LateBound<decltype(ChangeWindowMessageFilter)>(L"user32.dll", "ChangeWindowMessageFilter");
    for (UINT message : messages) {
        if (perWindow)
            perWindow(window, message, MSGFLT_ALLOW, nullptr);
        else if (perProcess)
            perProcess(message, MSGFLT_ADD);
    }
}

// A copy of the block behind `handle`, when it is a live, unlocked block of global memory
// of a drop's size; empty otherwise. Any process can post a drop with any handle: the
// system checks the handle, and the copy is read by the system too, so memory that is
// not there fails the read, not the program.
std::vector<BYTE> DropBlock(HGLOBAL handle) {
    const UINT flags = GlobalFlags(handle);
    if (flags == GMEM_INVALID_HANDLE || (flags & (GMEM_DISCARDED | GMEM_LOCKCOUNT))) return {};
    const SIZE_T size = GlobalSize(handle);
    if (size <= sizeof(DROPFILES) || size > kMostDropBytes) return {};
    const void* at = GlobalLock(handle);
    if (!at) return {};
    std::vector<BYTE> copy(size);
    SIZE_T read = 0;
    const bool whole = ReadProcessMemory(GetCurrentProcess(), at, copy.data(), size, &read) && read == size;
    GlobalUnlock(handle);
    if (!whole) copy.clear();
    return copy;
}

std::wstring Widened(const std::string& narrow) {
    std::wstring wide(narrow.size(), L'\0');
    wide.resize(
        static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()),
                                                wide.data(), static_cast<int>(wide.size()))));
    return wide;
}
std::wstring Widened(const std::wstring& wide) {
    return wide;
}

// The names of a list of NUL-ended names closed by one more NUL, all inside `bytes`;
// false for anything else, or a name no file can have.
template <class Char>
bool SplitNames(const BYTE* list, size_t bytes, std::vector<std::wstring>& names) {
    std::basic_string<Char> text(bytes / sizeof(Char), Char{});
    std::memcpy(text.data(), list, text.size() * sizeof(Char));
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find(Char{}, at);
        if (end == text.npos) return false;
        if (end == at) return !names.empty();
        const auto name = text.substr(at, end - at);
        for (Char c : name)
            if (static_cast<unsigned>(c) < 0x20) return false;
        names.push_back(Widened(name));
        at = end + 1;
    }
    return false;
}

// The names a well-formed drop carries: a header whose list starts inside the block,
// and a list, wide or narrow as the header says, that ends inside it.
bool DropNames(const std::vector<BYTE>& block, std::vector<std::wstring>& names) {
    DROPFILES header{};
    if (block.size() <= sizeof header) return false;
    std::memcpy(&header, block.data(), sizeof header);
    if (header.pFiles < sizeof header || header.pFiles >= block.size()) return false;
    if (header.fWide != FALSE && header.fWide != TRUE) return false;
    const BYTE* list = block.data() + header.pFiles;
    const size_t bytes = block.size() - header.pFiles;
    return header.fWide ? SplitNames<wchar_t>(list, bytes, names) : SplitNames<char>(list, bytes, names);
}

}  // namespace

void AcceptDroppedFiles(HWND window) {
    if (!window) return;
    // What DragAcceptFiles does, without loading the shell's DLL at start-up.
    SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
    LetDropsThrough(window);
}

std::vector<std::wstring> TakeDroppedFiles(HDROP drop) {
    const auto handle = static_cast<HGLOBAL>(drop);
    std::vector<std::wstring> files;
    if (!DropNames(DropBlock(handle), files)) return {};
    // What finishing a drop does; only a drop is ours to free.
    GlobalFree(handle);
    return files;
}

}  // namespace rt
