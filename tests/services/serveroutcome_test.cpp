#include "protocol/serveroutcome.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "outcome/failure.h"
#include "paths/serverpath.h"
#include "paths/serverroad.h"
#include "testdirs.h"

namespace {

using services::LoadProblem;
using services::ServerOutcome;

bool Same(const ServerOutcome& a, const ServerOutcome& b) {
    return a.Succeeded == b.Succeeded && a.Err.Number == b.Err.Number && a.Err.Source == b.Err.Source &&
           a.Err.Description == b.Err.Description && a.Err.LastDllError == b.Err.LastDllError &&
           a.Err.HResult == b.Err.HResult && a.Problem.kind == b.Problem.kind &&
           a.Problem.detail == b.Problem.detail && a.Problem.chain == b.Problem.chain &&
           a.Export == b.Export && a.Preview.has_value() == b.Preview.has_value() &&
           (!a.Preview ||
            (a.Preview->RegText == b.Preview->RegText && a.Preview->Names.view == b.Preview->Names.view &&
             a.Preview->Names.file == b.Preview->Names.file &&
             a.Preview->Names.classes.size() == b.Preview->Names.classes.size() &&
             a.Preview->Names.classes.back().threadingModel ==
                 b.Preview->Names.classes.back().threadingModel &&
             a.Preview->Names.typeLibs.back().name == b.Preview->Names.typeLibs.back().name));
}

TEST(ServerOutcome, CrossesWholeOrNotAtAll) {
    ServerOutcome missing;
    missing.Err = {services::failure::LibraryMissing, L"clsReg", L"library missing!", ERROR_MOD_NOT_FOUND, 0};
    missing.Problem = {LoadProblem::Kind::MissingDll, L"", {L"m\u00EEddle.dll", L"helper.dll"}};
    ServerOutcome crashed;
    crashed.Err = {services::failure::ServerException, L"clsReg",
                   L"C0000005 (access violation) in x.dll at offset 0x10", 0, static_cast<long>(0xC0000005)};
    crashed.Export = L"DllInstall";
    ServerOutcome done;
    done.Succeeded = true;
    ServerOutcome previewed = done;
    previewed.Preview = ServerOutcome::PreviewResult{L"Windows Registry Editor Version 5.00\r\n",
                                                     {services::RegistryView::Bits64, L"C:\\x.dll", {}, {}}};
    previewed.Preview->Names.classes.push_back({L"{c}", L"X.Y", L"X", L"Both"});
    previewed.Preview->Names.typeLibs.push_back({L"{l}", L"1.0", L"X Library"});
    for (const ServerOutcome& outcome : {missing, crashed, done, previewed}) {
        const std::vector<uint8_t> bytes = services::EncodeOutcome(outcome);
        const auto back = services::DecodeOutcome(bytes);
        ASSERT_TRUE(back.has_value());
        EXPECT_TRUE(Same(*back, outcome));
        // A helper that died while writing, or wrote anything else, gave no answer.
        for (size_t size = 0; size < bytes.size(); ++size)
            ASSERT_FALSE(services::DecodeOutcome(std::span(bytes.data(), size)).has_value()) << size;
        std::vector<uint8_t> longer = bytes;
        longer.push_back(0);
        EXPECT_FALSE(services::DecodeOutcome(longer).has_value());
    }
    std::vector<uint8_t> wrongKind = services::EncodeOutcome(missing);
    wrongKind[4 * 7 + 2 * missing.Err.Source.size() + 2 * missing.Err.Description.size()] = 0x7F;
    EXPECT_FALSE(services::DecodeOutcome(wrongKind).has_value());
}

// A preview larger than an answer still crosses: its first names whole (or
// cut at a length no box shows), the rest counted, its registration file cut
// short only where the names left it no room.
TEST(ServerOutcome, APreviewFitsAnAnswerAndCountsWhatItLeftOut) {
    const struct {
        size_t classes, typeLibs, nameLength, textLength;
        uint32_t leftOut;
        bool textCut;
    } rows[] = {
        {1500, 0, 20, 100000, 1492, false},  // more classes than an answer holds
        {3, 1500, 20, 1000, 479, false},     // more type libraries than an answer lists
        {9, 2, 40000, 1000, 3, false},       // names longer than an answer holds
        {9, 0, 40000, 100000, 1, true},      // long names and the longest file
        {9, 1, 20, 1000, 0, false},          // small: crosses as it is
    };
    for (const auto& row : rows) {
        ServerOutcome outcome;
        outcome.Succeeded = true;
        auto& preview = outcome.Preview.emplace();
        for (size_t n = 0; n < row.textLength; n += 100) preview.RegText += std::wstring(98, L'x') + L"\r\n";
        const std::wstring name(row.nameLength, L'n');
        for (size_t n = 0; n < row.classes; ++n)
            preview.Names.classes.push_back({std::to_wstring(n) + name, name, name, name});
        for (size_t n = 0; n < row.typeLibs; ++n) preview.Names.typeLibs.push_back({L"{t}", L"1.0", L"lib"});
        const ServerOutcome whole = outcome;
        services::FitAnswer(outcome);
        const std::vector<uint8_t> bytes = services::EncodeOutcome(outcome);
        EXPECT_LE(bytes.size(), services::kLongestAnswer) << row.classes;
        const auto back = services::DecodeOutcome(bytes);
        ASSERT_TRUE(back.has_value()) << row.classes;
        const auto& fitted = *back->Preview;
        EXPECT_EQ(fitted.NamesLeftOut, row.leftOut) << row.classes;
        const size_t kept = fitted.Names.classes.size() + fitted.Names.typeLibs.size();
        EXPECT_EQ(kept + fitted.NamesLeftOut, row.classes + row.typeLibs);
        EXPECT_GE(kept, std::min(row.classes + row.typeLibs, services::kDetailedNames));
        for (size_t n = 0; n < std::min(kept, row.classes); ++n)
            EXPECT_EQ(whole.Preview->Names.classes[n].clsid.rfind(fitted.Names.classes[n].clsid, 0), 0u);
        EXPECT_EQ(fitted.RegText.find(L"\r\n; ... cut short here") != std::wstring::npos, row.textCut);
        if (row.leftOut == 0) {
            EXPECT_TRUE(Same(*back, whole));
        }
    }
}

// A 64-bit server's record as the window hands it to the helper.
services::ServerFile Record64(const std::wstring& path) {
    services::ServerFile server;
    server.given = server.shown = server.opened = server.loaded = path;
    server.kind = services::PeImage::Kind::X64;
    server.image =
        services::PeImage{services::PeImage::Kind::X64, L"", {L"KERNEL32.dll", L"m\u00EEddle.dll"}, true};
    return server;
}

TEST(HelperRequest, CrossesWholeOrNotAtAll) {
    services::HelperRequest registration{Record64(L"C:\\s\u00EEte\\server64.dll"),
                                         services::RegistrationTask(true)};
    services::HelperRequest install{Record64(L"\\\\share\\x.dll"), services::RegistrationTask(false)};
    install.Task.Install = install.Task.HasInstallText = true;
    install.Task.InstallText = L"user";
    services::HelperRequest installOnly{Record64(L"C:\\x."), services::RegistrationTask(true)};
    installOnly.Task.RegistrationExport = false;
    installOnly.Task.Install = true;
    installOnly.Server.image->imports.clear();
    // The record as this window resolves a 64-bit server: its headers read, its imports listed.
    services::HelperRequest preview{
        services::HelperRecord(services::ResolveServer(ServerPath(L"x64\\comserver64.dll"))),
        services::RegistrationTask(false)};
    preview.Task.Preview = true;
    ASSERT_TRUE(preview.Server.image.has_value());
    EXPECT_FALSE(preview.Server.image->imports.empty());
    for (const auto& request : {registration, install, installOnly, preview}) {
        const std::vector<uint8_t> bytes = services::EncodeRequest(request);
        ASSERT_EQ(services::RequestBodySize(std::span(bytes.data(), services::kRequestHead)),
                  bytes.size() - services::kRequestHead);
        const auto back = services::DecodeRequest(bytes);
        ASSERT_TRUE(back.has_value()) << request.Server.loaded;
        EXPECT_EQ(*back, request);
        for (size_t size = 0; size < bytes.size(); ++size)
            ASSERT_FALSE(services::DecodeRequest(std::span(bytes.data(), size)).has_value()) << size;
    }
    // The largest record there can be still crosses.
    services::HelperRequest largest{Record64(L"C:\\" + std::wstring(services::kLongestPath - 3, L'a')),
                                    services::RegistrationTask(true)};
    largest.Server.image->imports.assign(services::kMostImports,
                                         std::wstring(services::kLongestDllName, L'd'));
    largest.Task.InstallText = largest.Server.loaded;
    const auto back = services::DecodeRequest(services::EncodeRequest(largest));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, largest);
    // What no window asks: a third way of registering, a head longer than any request.
    std::vector<uint8_t> third = services::EncodeRequest(registration);
    third[services::kRequestHead] = 2;
    EXPECT_FALSE(services::DecodeRequest(third).has_value());
    const uint8_t huge[] = {0xFF, 0xFF, 0xFF, 0x7F};
    EXPECT_FALSE(services::RequestBodySize(huge).has_value());
}

// The helper runs elevated and the request is input: a record that is not
// what the window makes for a 64-bit server is refused, whole as it came.
TEST(HelperRequest, RefusesARecordNoWindowMakes) {
    using services::ServerFile;
    const struct {
        const char* what;
        void (*change)(ServerFile&);
    } rows[] = {
        {"an empty path", [](ServerFile& s) { s = Record64(L""); }},
        {"a bare name", [](ServerFile& s) { s = Record64(L"x64server.dll"); }},
        {"a device", [](ServerFile& s) { s = Record64(L"C:\\a\\nul.dll"); }},
        {"a pipe", [](ServerFile& s) { s = Record64(L"\\\\.\\pipe\\x.dll"); }},
        {"a stream", [](ServerFile& s) { s = Record64(L"C:\\a\\x.dll:s"); }},
        {"another file opened", [](ServerFile& s) { s.opened = L"C:\\other.dll"; }},
        {"another file named", [](ServerFile& s) { s.given = L"C:\\other.dll"; }},
        {"a bare name's record", [](ServerFile& s) { s.bareName = true; }},
        {"the window's road", [](ServerFile& s) { s.road = services::Road::Helper; }},
        {"a fault", [](ServerFile& s) { s.fault = services::ServerFault::NotFound; }},
        {"a fault's words", [](ServerFile& s) { s.faultDetail = L"x"; }},
        {"a 32-bit server", [](ServerFile& s) { s.kind = s.image->kind = services::PeImage::Kind::X86; }},
        {"headers of another kind", [](ServerFile& s) { s.image->kind = services::PeImage::Kind::Damaged; }},
        {"no headers", [](ServerFile& s) { s.image.reset(); }},
    };
    for (const auto& row : rows) {
        services::HelperRequest request{Record64(L"C:\\x64\\server.dll"), services::RegistrationTask(true)};
        ASSERT_TRUE(services::DecodeRequest(services::EncodeRequest(request)).has_value());
        row.change(request.Server);
        EXPECT_FALSE(services::DecodeRequest(services::EncodeRequest(request)).has_value()) << row.what;
    }
}

}  // namespace
