// Files handed over by the shell: the arguments the program starts with, and
// real WM_DROPFILES drops on the window and on its path field.
#include "shellfiles.h"

#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "aerobutton.h"
#include "frmreg.h"
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

class DroppedFiles : public ::testing::Test {
protected:
    void SetUp() override {
        window.Load(GetModuleHandleW(nullptr));
        window.Show();
        field = window.Form().Find(L"txtSource")->hWnd();
    }

    std::wstring FieldText() const {
        wchar_t text[1024] = {};
        GetWindowTextW(field, text, 1024);
        return text;
    }

    // Sends the drop to `target`, as the shell's WM_DROPFILES; true when the receiver finished it.
    bool Drop(HWND target, const Files& files, POINT at = {20, 20}) {
        const HDROP drop = MakeDrop(files, at);
        SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        Pump();
        return GlobalSize(drop) == 0;
    }

    frmReg window;
    HWND field = nullptr;
};

TEST_F(DroppedFiles, OnTheWindowOrTheFieldTheyReplaceTheFieldText) {
    for (HWND taker : {window.hWnd(), field})
        EXPECT_TRUE(GetWindowLongW(taker, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)
            << "the shell would not drop there";

    const std::wstring wide = L"C:\\\u0421\u0435\u0440\u0432\u0435\u0440\u044B \u00E9t\u00E9\\a b.ocx";
    SetWindowTextW(field, L"typed before");
    EXPECT_TRUE(Drop(field, {wide}));
    EXPECT_EQ(FieldText(), wide);

    // Any types and folders are taken; several are quoted, in the order dropped.
    EXPECT_TRUE(Drop(window.hWnd(), {L"C:\\x\\notes.txt", L"C:\\x", wide}));
    EXPECT_EQ(FieldText(), L"\"C:\\x\\notes.txt\" \"C:\\x\" \"" + wide + L"\"");
    EXPECT_TRUE(Drop(field, {L"C:\\y\\server.dll"}));
    EXPECT_EQ(FieldText(), L"C:\\y\\server.dll");
}

TEST_F(DroppedFiles, ADropOnAButtonPressesNothingMovesNothingAndBringsTheWindowUp) {
    int clicks = 0;
    aero::AeroButton* reg = window.Form().Find<aero::AeroButton>(L"cmdReg");
    ASSERT_NE(reg, nullptr);
    reg->Events().Click = [&clicks] { ++clicks; };
    RECT button{};
    GetWindowRect(reg->hWnd(), &button);
    MapWindowPoints(nullptr, window.hWnd(), reinterpret_cast<POINT*>(&button), 2);
    const POINT onButton{(button.left + button.right) / 2, (button.top + button.bottom) / 2};

    // Another window in front; then the window minimised.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    Pump();
    ASSERT_EQ(GetForegroundWindow(), other);
    RECT before{};
    GetWindowRect(window.hWnd(), &before);
    EXPECT_TRUE(Drop(window.hWnd(), {L"C:\\x\\a.dll"}, onButton));
    EXPECT_EQ(GetForegroundWindow(), window.hWnd());
    EXPECT_EQ(GetCapture(), nullptr);
    RECT after{};
    GetWindowRect(window.hWnd(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));

    window.Form().SetWindowState(rt::WindowState::Minimized);
    EXPECT_TRUE(Drop(field, {L"C:\\x\\b.dll"}));
    EXPECT_FALSE(IsIconic(window.hWnd()));
    EXPECT_EQ(GetForegroundWindow(), window.hWnd());
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(FieldText(), L"C:\\x\\b.dll");
    DestroyWindow(other);
}

TEST_F(DroppedFiles, ArgumentsFillTheFieldAsTheOpenDialogWould) {
    SetWindowTextW(field, L"kept");
    window.TakeFiles({});
    EXPECT_EQ(FieldText(), L"kept");
    window.TakeFiles({L"C:\\a b\\one.dll"});
    EXPECT_EQ(FieldText(), L"C:\\a b\\one.dll");
    window.TakeFiles({L"C:\\a b\\one.dll", L"two.ocx"});
    EXPECT_EQ(FieldText(), L"\"C:\\a b\\one.dll\" \"two.ocx\"");
}

}  // namespace
