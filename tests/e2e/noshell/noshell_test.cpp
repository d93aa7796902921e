// Without a desktop shell the web commands start nothing: the program says
// where the page is. A program of its own: a desktop's shell cannot be started
// again while the processes that knew it live on, so this one ends it last.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "driver.h"
#include "standin/browser.h"

using namespace e2e;

namespace {

// Ends every explorer.exe: the desktop's shell among them; how many there were.
size_t EndDesktopShell() {
    size_t ended = 0;
    ForEachProcess([&](const PROCESSENTRY32W& entry) {
        if (lstrcmpiW(entry.szExeFile, L"explorer.exe") != 0) return true;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            ended += TerminateProcess(process, 1) && WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
            CloseHandle(process);
        }
        return true;
    });
    return ended;
}

TEST(WebPages, WithoutADesktopShellTheAddressIsShownAndNothingStarts) {
    StandInBrowser browser;
    // Ended before the program starts: the shell's end then cannot move the
    // program's focus, and no shell it knew can answer it.
    GetDesktopWindow();  // the shell starts with the desktop's first user
    ASSERT_GT(EndDesktopShell(), 0u) << "no desktop shell ran";
    RunningApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.Activate());

    Click(ClientToScreenPoint(app.Main(), 300, 148));
    HWND box = app.WaitForBox(L"Error!", 30000);
    ASSERT_NE(box, nullptr) << "the browser's note: " << testing::PrintToString(browser.Take(0));
    EXPECT_EQ(BoxText(box),
              L"An error has occured while trying to connect to the internet\r\n"
              L"Please ensure that your internet connection is functioning correctly and try again."
              L"\r\n\r\n" TESSIVER_HOME_PAGE);
    EXPECT_NE(BoxIcon(box), nullptr);
    EXPECT_TRUE(PressOk(box));
    EXPECT_EQ(browser.Take(3000), L"") << "a browser was started";
    EXPECT_EQ(EndDesktopShell(), 0u) << "a desktop shell started again";
}

}  // namespace
