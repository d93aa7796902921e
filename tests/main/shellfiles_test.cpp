// Files handed over by the shell: the arguments the program starts with, and
// real WM_DROPFILES drops on the window and on its path field.
#include "main/shellfiles.h"

#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "aerobutton/aerobutton.h"
#include "main/frmreg.h"
#include "pump.h"

namespace {

using Files = std::vector<std::wstring>;

TEST(ArgumentFiles, SplitAsTheSystemDoesAndMadeFullWhenFoundHere) {
    // A folder of its own, current for the cases, with a file and a folder in it.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring here = std::wstring(temp) + L"tessiver args \u00E9t\u00E9";
    CreateDirectoryW(here.c_str(), nullptr);
    CreateDirectoryW((here + L"\\sub").c_str(), nullptr);
    const std::wstring server = here + L"\\server one.ocx";
    HANDLE made = CreateFileW(server.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    CloseHandle(made);
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(here.c_str()));

    const struct {
        const wchar_t* line;
        Files files;
    } cases[] = {
        {L"\"C:\\Program Files\\T\\tessiver.exe\"", {}},
        {L"tessiver.exe  \t ", {}},
        {L"\"C:\\Program Files\\T\\tessiver.exe\"\"\"", {}},
        {L"tessiver.exe \"\" \"C:\\no such\\a.dll\" C:\\b.ax", {L"C:\\no such\\a.dll", L"C:\\b.ax"}},
        // Relative: found here, made full; not found, left for Register to explain; bare names stay bare.
        {L"\"C:\\x y\\tessiver.exe\" \"server one.ocx\" sub .\\missing.dll scrrun.dll",
         {server, here + L"\\sub", L".\\missing.dll", L"scrrun.dll"}},
        // The system's own rules: quotes inside a word, backslashes before a quote.
        {L"t.exe C:\\a\" b\"\\c.dll \"C:\\d\\\\\" e", {L"C:\\a b\\c.dll", L"C:\\d\\", L"e"}},
    };
    for (const auto& c : cases) EXPECT_EQ(ArgumentFiles(c.line), c.files) << testing::PrintToString(c.line);

    SetCurrentDirectoryW(before);
    DeleteFileW(server.c_str());
    RemoveDirectoryW((here + L"\\sub").c_str());
    RemoveDirectoryW(here.c_str());
}

// A drop as the shell hands it over: a DROPFILES block in global memory, wide names, two NULs at the end.
HDROP MakeDrop(const Files& files, POINT at) {
    size_t chars = 1;
    for (const std::wstring& f : files) chars += f.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->pt = at;
    header->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& f : files) {
        std::memcpy(names, f.c_str(), (f.size() + 1) * sizeof(wchar_t));
        names += f.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// Sends a drop to `target` as the shell does; true when the receiver finished (freed) it.
bool Drop(HWND target, const Files& files, POINT at = {20, 20}) {
    const HDROP drop = MakeDrop(files, at);
    SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    Pump();
    return GlobalSize(drop) == 0;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

TEST(DroppedFiles, OnTheWindowOrTheFieldReplaceTheFieldAndBringTheWindowUpPressingNothing) {
    frmReg window;
    window.Load(GetModuleHandleW(nullptr));
    window.Show();
    const HWND main = window.hWnd(), field = window.Form().Find(L"txtSource")->hWnd();
    for (HWND taker : {main, field})
        EXPECT_TRUE(GetWindowLongW(taker, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)
            << "the shell would not drop there";
    int clicks = 0;
    aero::AeroButton* reg = window.Form().Find<aero::AeroButton>(L"cmdReg");
    reg->Events().Click = [&clicks] { ++clicks; };
    RECT button{}, before{}, after{};
    GetWindowRect(reg->hWnd(), &button);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&button), 2);
    GetWindowRect(main, &before);
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    Pump();
    ASSERT_EQ(GetForegroundWindow(), other);

    // On the field, one file as it is, over what was typed.
    const std::wstring wide = L"C:\\\u0421\u0435\u0440\u0432\u0435\u0440\u044B \u00E9t\u00E9\\a b.ocx";
    SetWindowTextW(field, L"typed before");
    EXPECT_TRUE(Drop(field, {wide}));
    EXPECT_EQ(TextOf(field), wide);
    EXPECT_EQ(GetForegroundWindow(), main);

    // On a button of the minimised window: any types and folders, quoted in the order dropped.
    window.Form().SetWindowState(rt::WindowState::Minimized);
    const POINT onButton{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    EXPECT_TRUE(Drop(main, {L"C:\\x\\notes.txt", L"C:\\x", wide}, onButton));
    EXPECT_EQ(TextOf(field), L"\"C:\\x\\notes.txt\" \"C:\\x\" \"" + wide + L"\"");
    EXPECT_FALSE(IsIconic(main));
    EXPECT_EQ(GetForegroundWindow(), main);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    GetWindowRect(main, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    DestroyWindow(other);
}

}  // namespace
