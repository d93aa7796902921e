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
    CheckPlantedCopiesNeverLoad(
        {
            // A system DLL's name, in the user's PATH folder and in the current folder.
            {shadow, L"msimg32.dll", false},
            {shadow, L"msimg32.dll", true},
            // A helper that only the PATH holds, with a copy in the current folder too.
            {ServerPath(L"pathserver\\pathserver.dll"), L"pathhelper.dll", true, ServerPath(L"onpath")},
        },
        ServerPath(L"planted.dll"));
}

TEST(DllSearch, AServersOwnOutputStaysOutOfTheLog) {
    const std::wstring chatty = ServerPath(L"chattyserver.dll");
    for (bool pipe : {false, true}) {
        SCOPED_TRACE(pipe ? "pipe" : "file");
        const CommandResult run = RunCommand(L"/s " + Quoted(chatty), L"", pipe);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.output, chatty +
                                  L": Registered successfully\r\n  But no class or type library in the "
                                  L"32-bit registry names this file.\r\n");
    }
}

}  // namespace
