#include "loaddiagnosis.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "largefile.h"
#include "peimage.h"
#include "testdirs.h"

namespace {

using services::LoadProblem;
using services::PeImage;

std::vector<uint8_t> FileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The offset of the import directory's address in a 32-bit image's headers.
size_t ImportDirectoryAt(const std::vector<uint8_t>& bytes) {
    const uint32_t pe = bytes[0x3C] | bytes[0x3D] << 8 | bytes[0x3E] << 16 | bytes[0x3F] << 24;
    return pe + 24 + 96 + 8;
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
}

TEST(LoadFailure, NamesWhatKeepsTheLoaderFromLoading) {
    using Kind = LoadProblem::Kind;
    // A copy whose import table points nowhere.
    std::vector<uint8_t> bytes = FileBytes(ServerPath(L"sfalsereg.dll"));
    PutU32(bytes, ImportDirectoryAt(bytes), 0x7FFFFFF0);
    const std::wstring damaged = TestProgramDir() + L"\\damaged.dll";
    std::ofstream(damaged.c_str(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
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
        {ServerPath(L"beside\\needsdep.dll"), Kind::Unknown, {}},
        {ServerPath(L"sfalsereg.dll"), Kind::Unknown, {}},
        {ServerPath(L"sfalsereg"), Kind::Unknown, {}},            // the loader adds ".dll"
        {ServerPath(L"john.doe\\sfalsereg"), Kind::Unknown, {}},  // a dot in a folder is no extension
        {ServerPath(L"john.doe/sfalsereg"), Kind::Unknown, {}},
        {ServerPath(L"john.doe\\sfalsereg."), Kind::NotFound, {}},  // a trailing dot: no extension at all
        {L"no-such-tessiver-server.dll", Kind::NotFound, {}},
        {L"scrrun.dll", Kind::Unknown, {}},
        {ServersDir() + L"\\", Kind::Folder, {}},
        {ServerPath(L"x64server.dll"), Kind::OtherMachine, {}},
        {ServerPath(L"notadll.ocx"), Kind::NotPe, {}},
        {damaged, Kind::Damaged, {}},
    };
    for (const auto& row : rows) {
        const ULONGLONG started = GetTickCount64();
        const LoadProblem problem = services::ExplainLoadFailure(row.path);
        EXPECT_EQ(problem.kind, row.kind) << row.path;
        EXPECT_EQ(problem.chain, row.chain) << row.path;
        EXPECT_LT(GetTickCount64() - started, 700u) << row.path;
    }
    const ULONGLONG started = GetTickCount64();
    EXPECT_EQ(services::LibraryKind(large), PeImage::Kind::X86);
    EXPECT_LT(GetTickCount64() - started, 700u);
    DeleteFileW(damaged.c_str());
    DeleteFileW(large.c_str());
}

}  // namespace
