#include "paths/serverroad.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "image/peread.h"
#include "outcome/failure.h"
#include "registration/registrar.h"
#include "testdirs.h"

namespace {

using services::LoadProblem;

// This prefix is a 32-bit system: a 64-bit server gets a clear refusal, the rest the road they always had.
TEST(ServerRoad, On32BitWindowsOnly32BitServersLoad) {
    ASSERT_FALSE(services::Is64BitWindows());
    const auto road64 = services::ResolveServer(ServerPath(L"x64\\comserver64.dll"));
    EXPECT_EQ(road64.road, services::Road::Needs64BitWindows);
    EXPECT_EQ(road64.fault, services::ServerFault::Needs64BitWindows);
    for (const std::wstring& path : {ServerPath(L"testcomserver.dll"), ServerPath(L"no such server.dll"),
                                     std::wstring(L"scrrun.dll"), ServerPath(L"notadll.ocx")}) {
        const auto road = services::ResolveServer(path);
        EXPECT_EQ(road.road, services::Road::InProcess);
        EXPECT_EQ(road.given, path);
        if (!road.bareName) {
            EXPECT_EQ(road.loaded, path);
        }
    }
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(services::ShellView(std::wstring(system) + L"\\ole32.dll"),
              std::wstring(system) + L"\\ole32.dll");
}

// Each road, as the window and the command line take it, with the path's fault
// told once; the record holds the headers of the very file it opens, read as
// it was resolved, and none where no file is opened or it is loaded already.
TEST(ServerRoad, TheRegistrarTakesTheRoadTheRecordNames) {
    using Kind = services::PeImage::Kind;
    namespace f = services::failure;
    services::Registrar registrar(nullptr, L"none");
    const struct {
        std::wstring path;
        long number;
        LoadProblem::Kind problem;
        bool bareName;
        bool read;  // headers in the record
        Kind kind;
    } rows[] = {
        {ServerPath(L"x64\\comserver64.dll"), f::Needs64BitWindows, LoadProblem::Kind::None, false, true,
         Kind::X64},
        {L"kernel32.dll", f::NotExported, LoadProblem::Kind::None, true, false, Kind::X86},
        {L"no-such-tessiver-server.dll", f::LibraryMissing, LoadProblem::Kind::NotFound, true, false,
         Kind::NotPe},
        {ServerPath(L"no such server.dll"), f::LibraryMissing, LoadProblem::Kind::NotFound, false, false,
         Kind::NotPe},
        {ServersDir() + L"\\", f::LibraryMissing, LoadProblem::Kind::Folder, false, false, Kind::NotPe},
        {L"nul.dll", f::LibraryMissing, LoadProblem::Kind::Device, false, false, Kind::NotPe},
        {ServerPath(L"notadll.ocx"), f::LibraryMissing, LoadProblem::Kind::NotPe, false, true, Kind::NotPe},
    };
    for (const auto& row : rows) {
        const services::ServerFile server = services::ResolveServer(row.path);
        EXPECT_EQ(server.kind, row.kind) << row.path;
        EXPECT_EQ(server.image.has_value(), row.read) << row.path;
        if (row.read) {
            EXPECT_EQ(server.image, services::ReadPeFile(server.opened)) << row.path;
        }
        const services::RegistrationOutcome outcome =
            registrar.RegisterOne(server, services::RegistrationTask(true),
                                  [](services::HelperCall&) { ADD_FAILURE() << "no helper on this system"; });
        EXPECT_FALSE(outcome.Succeeded) << row.path;
        EXPECT_EQ(outcome.Err.Number, row.number) << row.path;
        EXPECT_EQ(outcome.Problem.kind, row.problem) << row.path;
        EXPECT_EQ(outcome.Server.bareName, row.bareName) << row.path;
        EXPECT_EQ(outcome.Path(), row.path);
        EXPECT_FALSE(outcome.InHelper()) << row.path;
    }
    EXPECT_FALSE(registrar.HasHelper());
}

}  // namespace
