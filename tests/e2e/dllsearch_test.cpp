// What the command line loads for a server, and what a server's own output
// does to its log: copies planted where a user can write never load, a
// helper only the PATH holds still serves, and the log is the program's alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "driver.h"
#include "plantedsearch.h"

using namespace e2e;

namespace {

TEST(DllSearch, PlantedCopiesNeverLoadAndAHelperOnThePathStillServes) {
    const std::wstring shadow = ServerPath(L"shadowserver.dll");
    const std::wstring helped = ServerPath(L"pathserver\\pathserver.dll");
    CheckPlantedCopiesNeverLoad(
        {
            // A system DLL's name, in the user's PATH folder and in the current folder.
            {shadow, L"msimg32.dll", false, L"", 0},
            {shadow, L"msimg32.dll", true, L"", 0},
            // A helper that only the PATH holds, and a copy that only the current folder holds.
            {helped, L"pathhelper.dll", true, ServerPath(L"onpath"), 0},
            {helped, L"pathhelper.dll", true, L"", 3},
            // A chain the PATH completes: the DLL beside the server needs one only the PATH holds.
            {ServerPath(L"probe\\probeserver.dll"), L"probehelper.dll", true, ServerPath(L"elsewhere"), 0},
        },
        ServerPath(L"planted.dll"));
}

// Twice in one run: the streams come back after the first and go quiet again.
TEST(DllSearch, AServersOwnOutputStaysOutOfTheLog) {
    const std::wstring chatty = ServerPath(L"chattyserver.dll");
    const std::wstring line = chatty +
                              L": Registered successfully\r\n  But no class or type library in the 32-bit "
                              L"registry names this file.\r\n";
    for (bool pipe : {false, true}) {
        SCOPED_TRACE(pipe ? "pipe" : "file");
        const CommandResult run = RunCommand(L"/s " + Quoted(chatty) + L" " + Quoted(chatty), L"", pipe);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(run.output == line + line) << testing::PrintToString(run.output.substr(0, 200));
    }
}

}  // namespace
