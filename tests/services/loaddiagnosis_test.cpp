#include "paths/loaddiagnosis.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/peimage.h"
#include "image/peread.h"
#include "image/runtimedlls.h"
#include "largefile.h"
#include "paths/serverroad.h"
#include "pefile.h"
#include "testdirs.h"

namespace {

using services::LoadProblem;
using services::PeImage;
using testkit::FileBytes;
using testkit::PutU32;

// The offset of the import directory's address in an image's headers.
size_t ImportDirectoryAt(const std::vector<uint8_t>& bytes) {
    return testkit::DataDirectoryAt(bytes, 1);
}

TEST(PeImage, ReadsKindAndImportsAndSurvivesEveryTruncation) {
    const std::vector<uint8_t> server = FileBytes(ServerPath(L"probe\\probeserver.dll"));
    const PeImage whole = services::ReadPeImage(server);
    ASSERT_EQ(whole.kind, PeImage::Kind::X86);
    EXPECT_NE(std::find(whole.imports.begin(), whole.imports.end(), L"probemiddle.dll"), whole.imports.end());
    EXPECT_EQ(services::ReadPeImage(FileBytes(ServerPath(L"notadll.ocx"))).kind, PeImage::Kind::NotPe);
    // The 64-bit headers are read as well, import table and all.
    const std::vector<uint8_t> server64 = FileBytes(ServerPath(L"x64\\probe\\probeserver.dll"));
    const PeImage whole64 = services::ReadPeImage(server64);
    ASSERT_EQ(whole64.kind, PeImage::Kind::X64);
    EXPECT_NE(std::find(whole64.imports.begin(), whole64.imports.end(), L"probemiddle.dll"),
              whole64.imports.end());
    // An ARM64 machine in 64-bit headers: a library, but for another processor.
    std::vector<uint8_t> arm = server64;
    const uint32_t pe = arm[0x3C] | arm[0x3D] << 8 | arm[0x3E] << 16 | arm[0x3F] << 24;
    arm[pe + 4] = 0x64;
    arm[pe + 5] = 0xAA;
    EXPECT_EQ(services::ReadPeImage(arm).kind, PeImage::Kind::OtherMachine);

    // Cut short anywhere, the file is read as damaged, as no library, or (past
    // everything the reader needs) as whole; never read beyond its end.
    for (const auto* file : {&server, &server64}) {
        const PeImage full = services::ReadPeImage(*file);
        for (size_t size = 0; size < file->size(); ++size) {
            const PeImage cut = services::ReadPeImage(std::span(file->data(), size));
            if (cut.kind == full.kind) {
                ASSERT_EQ(cut.imports, full.imports) << size;
            } else {
                ASSERT_TRUE(cut.kind == PeImage::Kind::Damaged || cut.kind == PeImage::Kind::NotPe) << size;
                ASSERT_EQ(cut.kind == PeImage::Kind::Damaged, !cut.damage.empty()) << size;
            }
        }
    }

    std::vector<uint8_t> damaged = server;
    PutU32(damaged, ImportDirectoryAt(damaged), 0x7FFFFFF0);
    const PeImage bad = services::ReadPeImage(damaged);
    EXPECT_EQ(bad.kind, PeImage::Kind::Damaged);
    EXPECT_EQ(bad.damage, L"its import table lies beyond its end");

    // A .NET assembly is known by its CLR header, in either kind of headers.
    EXPECT_FALSE(whole.clr);
    EXPECT_FALSE(whole64.clr);
    for (const wchar_t* plain : {L"plain.dll", L"x64\\plain64.dll"}) {
        const std::wstring copy = TestProgramDir() + L"\\assembly.dll";
        ASSERT_TRUE(testkit::DotNetCopy(ServerPath(plain), copy));
        EXPECT_TRUE(services::ReadPeFile(copy, false)->clr) << plain;
        DeleteFileW(copy.c_str());
    }
}

TEST(LoadFailure, NamesWhatKeepsTheLoaderFromLoading) {
    using Kind = LoadProblem::Kind;
    // A copy whose import table points nowhere.
    std::vector<uint8_t> bytes = FileBytes(ServerPath(L"sfalsereg.dll"));
    PutU32(bytes, ImportDirectoryAt(bytes), 0x7FFFFFF0);
    const std::wstring damaged = TestProgramDir() + L"\\damaged.dll";
    testkit::WriteBytes(damaged, bytes);
    // Only the headers and the import directory are read, however large the file: no row waits on the disk.
    const std::wstring large = ServerPath(L"probe\\large.dll");
    ASSERT_TRUE(LargeCopy(ServerPath(L"probe\\probeserver.dll"), large));

    const struct {
        std::wstring path;
        Kind kind;
        std::vector<std::wstring> chain;
    } rows[] = {
        // The server's folder comes first, so probemiddle.dll is found; probehelper.dll is nowhere.
        {ServerPath(L"probe\\probeserver.dll"), Kind::MissingDll, {L"probemiddle.dll", L"probehelper.dll"}},
        {large, Kind::MissingDll, {L"probemiddle.dll", L"probehelper.dll"}},
        {ServerPath(L"beside\\needsdep.dll"), Kind::None, {}},
        {ServerPath(L"sfalsereg.dll"), Kind::None, {}},
        {ServerPath(L"sfalsereg"), Kind::None, {}},            // the loader adds ".dll"
        {ServerPath(L"john.doe\\sfalsereg"), Kind::None, {}},  // a dot in a folder is no extension
        {ServerPath(L"john.doe/sfalsereg"), Kind::None, {}},
        {ServerPath(L"john.doe\\sfalsereg."), Kind::NotFound, {}},  // a trailing dot: no extension at all
        {L"no-such-tessiver-server.dll", Kind::NotFound, {}},
        {L"scrrun.dll", Kind::None, {}},
        {ServersDir() + L"\\", Kind::Folder, {}},
        {ServerPath(L"x64server.dll"), Kind::OtherMachine, {}},
        // A runtime DLL found nowhere, and a set of the C runtime that no schema resolves.
        {ServerPath(L"needsmfc.dll"), Kind::MissingDll, {L"mfc140u.dll"}},
        {ServerPath(L"needsucrt.dll"), Kind::MissingDll, {L"api-ms-win-crt-tessiver-l1-1-0.dll"}},
        {ServerPath(L"notadll.ocx"), Kind::NotPe, {}},
        {damaged, Kind::Damaged, {}},
    };
    for (const auto& row : rows) {
        const ULONGLONG started = GetTickCount64();
        const LoadProblem problem = services::ExplainLoadFailure(services::ResolveServer(row.path));
        EXPECT_EQ(problem.kind, row.kind) << row.path;
        EXPECT_EQ(problem.chain, row.chain) << row.path;
        EXPECT_LT(GetTickCount64() - started, 700u) << row.path;
    }
    const ULONGLONG started = GetTickCount64();
    EXPECT_EQ(services::ReadPeFile(large, false)->kind, PeImage::Kind::X86);
    EXPECT_LT(GetTickCount64() - started, 700u);
    DeleteFileW(damaged.c_str());
    DeleteFileW(large.c_str());
}

// The look takes the headers the resolution read: the file may be gone by then.
TEST(LoadFailure, TakesTheHeadersTheRecordHolds) {
    const std::wstring copy = ServerPath(L"probe\\probecopy.dll");
    ASSERT_TRUE(CopyFileW(ServerPath(L"probe\\probeserver.dll").c_str(), copy.c_str(), FALSE));
    const services::ServerFile server = services::ResolveServer(copy);
    DeleteFileW(copy.c_str());
    ASSERT_TRUE(server.image.has_value());
    const LoadProblem problem = services::ExplainLoadFailure(server);
    EXPECT_EQ(problem.kind, LoadProblem::Kind::MissingDll);
    EXPECT_EQ(problem.chain, (std::vector<std::wstring>{L"probemiddle.dll", L"probehelper.dll"}));
}

// What a server needs from outside the system folder, deepest first, with
// the PATH's folders read as the loader reads them: a relative entry (one
// that means another folder for each current folder) names nothing.
TEST(LoadFailure, NeededOutsideSystemFollowsOnlyTheAbsolutePath) {
    const std::wstring servers = ServersDir(), drive = servers.substr(0, 2), root = servers.substr(2);
    // Nothing else in this process loads the probe's DLLs: a loaded one would count as found.
    const std::wstring probe = ServerPath(L"probe\\probeserver.dll"),
                       found = servers + L"\\elsewhere\\probehelper.dll";
    ASSERT_EQ(GetModuleHandleW(found.c_str()), nullptr);
    const struct {
        std::wstring path;  // added to the PATH
        std::vector<std::wstring> needed;
    } rows[] = {
        {L"", {}},  // the helper is nowhere: nothing is loaded ahead
        {servers + L"\\elsewhere", {found, servers + L"\\probe\\probemiddle.dll"}},
        {servers + L"/elsewhere/", {found, servers + L"\\probe\\probemiddle.dll"}},
        {L"elsewhere", {}},
        {L".\\elsewhere", {}},
        {root + L"\\elsewhere", {}},
        {drive + L"elsewhere", {}},
    };
    wchar_t saved[32767] = {}, folder[MAX_PATH * 4] = {};
    GetEnvironmentVariableW(L"PATH", saved, static_cast<DWORD>(std::size(saved)));
    GetCurrentDirectoryW(MAX_PATH * 4, folder);
    ASSERT_TRUE(SetCurrentDirectoryW(servers.c_str()));
    for (const auto& row : rows) {
        SetEnvironmentVariableW(L"PATH", (std::wstring(saved) + L";" + row.path).c_str());
        EXPECT_EQ(services::NeededOutsideSystem(services::ResolveServer(probe)), row.needed) << row.path;
    }
    SetEnvironmentVariableW(L"PATH", saved);
    SetCurrentDirectoryW(folder);
}

// Which Redistributable brings a runtime DLL, read from the name's parts.
TEST(RuntimeDlls, NamesTheRedistributableThatBringsEach) {
    using Kind = services::RuntimeDll::Kind;
    const struct {
        const wchar_t* dll;
        bool runtime;
        Kind kind;
        const wchar_t* release;
    } rows[] = {
        {L"VCRUNTIME140.dll", true, Kind::VisualCpp, L"2015-2022"},
        {L"mfc140deu.dll", true, Kind::VisualCpp, L"2015-2022"},
        {L"mfcm120u.dll", true, Kind::VisualCpp, L"2013"},
        {L"msvcr100.dll", true, Kind::VisualCpp, L"2010"},
        {L"api-ms-win-crt-runtime-l1-1-0.dll", true, Kind::UniversalCrt, L"2015-2022"},
        {L"vcruntime140_1d.dll", true, Kind::Debug, L"2015-2022"},
        {L"msvcp140d_atomic_wait.dll", true, Kind::Debug, L"2015-2022"},
        // The system's own C runtimes, and names that only look alike.
        {L"msvcrt.dll", false, {}, L""},
        {L"msvcp60.dll", false, {}, L""},
        {L"msvcp1400.dll", false, {}, L""},
        {L"api-ms-win-core-synch-l1-2-0.dll", false, {}, L""},
    };
    for (const auto& row : rows) {
        const auto runtime = services::RuntimeDllOf(row.dll);
        ASSERT_EQ(runtime.has_value(), row.runtime) << row.dll;
        if (!runtime) continue;
        EXPECT_EQ(runtime->kind, row.kind) << row.dll;
        EXPECT_EQ(runtime->release, row.release) << row.dll;
    }
}

}  // namespace
