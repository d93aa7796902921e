#include "paths/serverpath.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "paths/loadersearch.h"

namespace {

using Paths = std::vector<std::wstring>;

TEST(ServerPaths, FieldTextBecomesTheFilesItNames) {
    ASSERT_TRUE(SetEnvironmentVariableW(L"TESSIVER_TEST_DIR", L"C:\\servers"));
    const struct {
        const wchar_t* field;
        Paths paths;
    } rows[] = {
        {L"C:\\a\\x.dll", {L"C:\\a\\x.dll"}},
        {L" \t \"C:\\a b\\x.dll\" \t", {L"C:\\a b\\x.dll"}},
        {L"  C:\\Program Files\\x.dll\t", {L"C:\\Program Files\\x.dll"}},
        {L" \t ", {}},
        {L"\" \"  \"\"", {}},
        {L"%TESSIVER_TEST_DIR%\\x.dll", {L"C:\\servers\\x.dll"}},
        {L"%NO_SUCH_TESSIVER_VARIABLE%\\x.dll", {L"%NO_SUCH_TESSIVER_VARIABLE%\\x.dll"}},
        {L"\"C:\\a\\x.dll\" \"C:\\b\\y.ocx\"", {L"C:\\a\\x.dll", L"C:\\b\\y.ocx"}},
        {L"\"%TESSIVER_TEST_DIR%\\x.dll\"\t\t\"scrrun.dll\"  \"\"", {L"C:\\servers\\x.dll", L"scrrun.dll"}},
        {L"C:\\a\\x.dll\r\nC:\\b\\y.ocx\r\n", {L"C:\\a\\x.dll", L"C:\\b\\y.ocx"}},
        {L"\"C:\\a\\x.dll\"\r\n  C:\\b\\y.ocx", {L"C:\\a\\x.dll", L"C:\\b\\y.ocx"}},
        // Not a list of quoted paths, so one path, which the loader is never shown.
        {L"\"C:\\a\\x.dll\" C:\\b\\y.ocx", {L"\"C:\\a\\x.dll\" C:\\b\\y.ocx"}},
        {L"\"C:\\a\\x.dll\"\"C:\\b\\y.ocx\"", {L"C:\\a\\x.dll\"\"C:\\b\\y.ocx"}},
    };
    for (const auto& row : rows) EXPECT_EQ(services::SplitServerPaths(row.field), row.paths) << row.field;

    const std::wstring two = services::FieldTextForSelection(L"C:\\x\\a.dll\r\nC:\\x\\b c.ocx");
    EXPECT_EQ(two, L"\"C:\\x\\a.dll\" \"C:\\x\\b c.ocx\"");
    EXPECT_EQ(services::SplitServerPaths(two), (Paths{L"C:\\x\\a.dll", L"C:\\x\\b c.ocx"}));
    EXPECT_EQ(services::FieldTextForSelection(L"C:\\x\\a b.dll"), L"C:\\x\\a b.dll");
    EXPECT_EQ(services::FieldTextForSelection(L""), L"");
}

TEST(ServerPaths, FormsThatNameNoFile) {
    using PathFault = services::ServerFault;
    const struct {
        const wchar_t* path;
        PathFault fault;
        bool bare;
    } rows[] = {
        {L"C:\\a\\x.dll", PathFault::None, false},
        {L"C:/a/x.dll", PathFault::None, false},
        {L"scrrun.dll", PathFault::None, true},
        {L"\\\\?\\C:\\a\\x.dll", PathFault::None, false},
        {L"\\\\server\\share\\x.dll", PathFault::None, false},
        {L"\\\\?\\UNC\\server\\share\\x.dll", PathFault::None, false},
        {L"console.dll", PathFault::None, true},
        {L"COM10.dll", PathFault::None, true},
        {L"CON", PathFault::Device, true},
        {L"nul.dll", PathFault::Device, true},
        {L"C:\\a\\Lpt1 .ocx", PathFault::Device, false},
        {L"C:\\a\\COM\u00B9", PathFault::Device, false},
        {L"\\\\.\\PhysicalDrive0", PathFault::Device, false},
        {L"\\\\.\\pipe\\x.dll", PathFault::Device, false},
        {L"C:\\a<b.dll", PathFault::Malformed, false},
        {L"C:\\a\\x.dll:stream", PathFault::Malformed, false},
        {L"file:///C:/x.dll", PathFault::Malformed, false},
        {L"\"C:\\a\\x.dll\" C:\\b", PathFault::Malformed, false},
        {L"C:\\a\tb.dll", PathFault::Malformed, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(services::CheckPathForm(row.path).Fault, row.fault) << row.path;
        EXPECT_EQ(services::IsBareName(row.path), row.bare) << row.path;
    }
    EXPECT_EQ(services::CheckPathForm(L"C:\\a?.dll").Detail,
              L"it holds the character ?, which no file name can hold.");
    EXPECT_EQ(services::CheckPathForm(L"C:\\" + std::wstring(33000, L'a')).Fault, PathFault::Malformed);
}

// Either separator and a drive's colon end the folder part; only the file
// name can carry the extension the loader looks for.
TEST(ServerPaths, FileNameAndTheLoadersExtension) {
    const struct {
        const wchar_t* path;
        const wchar_t* name;
        const wchar_t* withDll;
    } rows[] = {
        {L"C:\\dir\\server.ocx", L"server.ocx", L"C:\\dir\\server.ocx"},
        {L"C:/dir/server", L"server", L"C:/dir/server.dll"},
        {L"C:\\john.doe/sub\\x", L"x", L"C:\\john.doe/sub\\x.dll"},
        {L"C:x.dll", L"x.dll", L"C:x.dll"},
        {L"server.ocx", L"server.ocx", L"server.ocx"},
        {L"\\a.dll", L"a.dll", L"\\a.dll"},
        {L"C:\\dir\\", L"", nullptr},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(services::FileNameOf(row.path), row.name) << row.path;
        if (row.withDll) {
            EXPECT_EQ(services::WithDllExtension(row.path), row.withDll) << row.path;
        }
    }
}

}  // namespace
