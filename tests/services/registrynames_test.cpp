// What names a server file in the prefix's real registry: told by the file's
// identity however the path is spelt, and kept current after an export by
// reading only what can have changed.
#include "registry/registrynames.h"

#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.
#include <oleauto.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "pefile.h"
#include "registry/namesreader.h"
#include "registry/registryindex.h"
#include "registry/regtext.h"
#include "runtime/handles.h"
#include "testdirs.h"
#include "typelibfile.h"

namespace {

using services::RegistryView;

const std::atomic<bool> kGoOn{false};

// Test classes {7E55B0xx-...}: their keys sort together among the prefix's own.
std::wstring TestClsid(int n, const wchar_t* prefix = L"7E55B0") {
    wchar_t text[64];
    wsprintfW(text, L"{%s%02X-0000-4000-8000-000000000000}", prefix, n & 0xFF);
    return text;
}

std::wstring ClassKey(const std::wstring& clsid) {
    return L"Software\\Classes\\CLSID\\" + clsid;
}

void PutClass(const std::wstring& clsid, const std::wstring& path, DWORD type = REG_SZ) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, (ClassKey(clsid) + L"\\InprocServer32").c_str(), nullptr, type,
                    path.c_str(), static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

void ForgetClasses(const wchar_t* prefix) {
    for (int n = 0; n < 256; ++n) RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(TestClsid(n, prefix)).c_str());
}

std::wstring SystemFile(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

// What a reading after an export finds for the file at `path`, loaded into this process.
std::vector<std::wstring> ClassesNaming(const std::wstring& path) {
    const auto target = services::TargetOf(services::ResolveServer(path));
    if (!target) return {};
    services::NamesReader reader;
    const auto reading = reader.ExportStarts(*target);
    reader.ExportEnded(*reading, true);
    if (WaitForSingleObject(reading->Done(), 60000) != WAIT_OBJECT_0 || !reading->Result()) return {};
    std::vector<std::wstring> clsids;
    for (const auto& named : reading->Result()->classes) clsids.push_back(named.clsid);
    return clsids;
}

TEST(RegistryNames, TheSameFileIsFoundHoweverThePathIsSpelt) {
    const std::wstring name = L"tessiver names server.dll";
    const std::wstring file = SystemFile(name);
    const std::wstring elsewhere = ServersDir() + L"\\" + name;
    ASSERT_TRUE(CopyFileW(ServerPath(L"testcomserver.dll").c_str(), file.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(ServerPath(L"testcomserver.dll").c_str(), elsewhere.c_str(), FALSE));
    wchar_t shortPath[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(file.c_str(), shortPath, MAX_PATH), 0u);
    ASSERT_EQ(std::wstring(shortPath).find(L' '), std::wstring::npos) << "a short name has no blanks";
    std::wstring upper = file;
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));

    const struct {
        std::wstring spelt;
        DWORD type;
        bool names;
    } rows[] = {
        {file, REG_SZ, true},
        {L" \"" + file + L"\" ", REG_SZ, true},
        {L"%SystemRoot%\\System32\\" + name, REG_EXPAND_SZ, true},
        {upper, REG_SZ, true},
        {shortPath, REG_SZ, true},
        {name, REG_SZ, true},                                  // where the loader looks
        {L"tessiver names server", REG_SZ, true},              // the loader adds ".dll"
        {SystemFile(L"..\\System32\\" + name), REG_SZ, true},  // a way round
        {elsewhere, REG_SZ, false},                            // the same name, another file
        {L"%SystemRoot%\\System32\\" + name, REG_SZ, false},   // a plain text is not expanded
        {L"CON", REG_SZ, false},
        {SystemFile(L"no such server.dll"), REG_SZ, false},
    };
    ForgetClasses(L"7E55B0");
    std::vector<std::wstring> expected;
    for (int n = 0; n < static_cast<int>(std::size(rows)); ++n) {
        PutClass(TestClsid(n), rows[n].spelt, rows[n].type);
        if (rows[n].names) expected.push_back(TestClsid(n));
    }
    EXPECT_EQ(ClassesNaming(shortPath), expected) << "the file opened by its short name";
    // The user's own classes count, and replace the machine's of the same identifier for the user.
    const std::wstring userClasses = L"Software\\Classes\\CLSID\\";
    const auto putUserClass = [&](const std::wstring& clsid, const std::wstring& path) {
        RegSetKeyValueW(HKEY_CURRENT_USER, (userClasses + clsid + L"\\InprocServer32").c_str(), nullptr,
                        REG_SZ, path.c_str(), static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    };
    putUserClass(TestClsid(0xF0), file);
    putUserClass(TestClsid(0), elsewhere);
    expected.erase(expected.begin());
    expected.insert(expected.begin(), TestClsid(0xF0));
    EXPECT_EQ(ClassesNaming(file), expected);
    for (int n : {0, 0xF0}) RegDeleteTreeW(HKEY_CURRENT_USER, (userClasses + TestClsid(n)).c_str());
    ForgetClasses(L"7E55B0");
    DeleteFileW(file.c_str());
    DeleteFileW(elsewhere.c_str());
}

// Every entry's name and paths, to compare one reading with another.
std::vector<std::wstring> Flat(const services::RegistryIndex& index) {
    std::vector<std::wstring> flat;
    for (const auto& entry : index.Entries()) {
        std::wstring line = entry.name;
        for (const auto& path : entry.paths) line += L"|" + path.version + L"|" + path.spelled;
        flat.push_back(line);
    }
    return flat;
}

// The names under the classes' key, one by one in the registry's own order.
std::vector<std::wstring> ClassNamesInOrder() {
    rt::RegKey classes;
    std::vector<std::wstring> names;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID", 0, KEY_READ, classes.Put()) ==
        ERROR_SUCCESS)
        for (DWORD i = 0; const auto name = services::SubkeyAt(classes.Get(), i); ++i) names.push_back(*name);
    return names;
}

// After an export, what an index updates to equals what a whole reading finds,
// and a whole reading (by several readers at once) keeps the registry's order.
TEST(RegistryIndex, AnUpdateAfterAnExportFindsWhatAWholeReadingFinds) {
    const std::wstring server = ServerPath(L"testcomserver.dll");
    const std::wstring other = ServerPath(L"okreg.dll");
    const auto seed = [&] {
        ForgetClasses(L"7E55C0");
        for (int n = 0; n < 64; n += 4) PutClass(TestClsid(n, L"7E55C0"), n == 8 ? server : other);
    };
    const struct {
        const char* change;
        std::function<void()> apply;
        std::vector<std::wstring> again;  // what the file's own type library names
    } rows[] = {
        {"many added, before, among and after them",
         [&] {
             for (int n = 1; n < 256; n += 3)
                 if (n % 4 != 0) PutClass(TestClsid(n, L"7E55C0"), server);
             PutClass(L"{00000000-7E55-4000-8000-000000000000}", server);
             PutClass(L"{FFFFFFFF-7E55-4000-8000-000000000000}", server);
         },
         {}},
        {"a class of the server's name pointed elsewhere, one named by its type library pointed here",
         [&] {
             PutClass(TestClsid(8, L"7E55C0"), other);
             PutClass(TestClsid(12, L"7E55C0"), server);
         },
         {TestClsid(12, L"7E55C0")}},
        {"a class of the server's removed",
         [&] { RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(TestClsid(8, L"7E55C0")).c_str()); },
         {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.change);
        seed();
        services::RegistryIndex index(HKEY_LOCAL_MACHINE, services::IndexedKey::Classes,
                                      RegistryView::Bits32);
        ASSERT_TRUE(index.Rebuild(kGoOn));
        EXPECT_TRUE(index.Fresh());
        row.apply();
        EXPECT_FALSE(index.Fresh()) << "the watch saw the change";
        EXPECT_TRUE(index.Update(row.again, {L"testcomserver.dll"}, kGoOn));
        EXPECT_TRUE(index.Fresh()) << "watched again";
        services::RegistryIndex whole(HKEY_LOCAL_MACHINE, services::IndexedKey::Classes,
                                      RegistryView::Bits32);
        ASSERT_TRUE(whole.Rebuild(kGoOn));
        EXPECT_EQ(Flat(index), Flat(whole));
        std::vector<std::wstring> order;
        for (const auto& entry : whole.Entries()) order.push_back(entry.name);
        EXPECT_EQ(order, ClassNamesInOrder());
    }
    ForgetClasses(L"7E55C0");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(L"{00000000-7E55-4000-8000-000000000000}").c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(L"{FFFFFFFF-7E55-4000-8000-000000000000}").c_str());
}

// After an export that ran beside a reading, the keys written since it began
// are read again, with new ones and those that may name the file; a key
// written before keeps what was read of it, even where its server changed.
TEST(RegistryIndex, ASettlingReadsAgainWhatWasWrittenSinceTheExportBegan) {
    const std::wstring server = ServerPath(L"testcomserver.dll"), other = ServerPath(L"okreg.dll");
    const auto clsid = [](int n) { return TestClsid(n, L"7E55D0"); };
    // As a registrar writes a class: its name, then its server.
    const auto rewrite = [&] {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, ClassKey(clsid(16)).c_str(), nullptr, REG_SZ, L"Renamed", 16);
        PutClass(clsid(16), server);
    };
    const auto add = [&] {
        for (int n = 1; n < 64; n += 2) PutClass(clsid(n), server);
    };
    const auto move = [&] {  // the file's own class away, its type library's class here
        PutClass(clsid(8), other);
        PutClass(clsid(12), server);
    };
    const auto remove = [&] { RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(clsid(8)).c_str()); };
    const struct {
        const char* change;
        bool before;  // made before the export began
        std::function<void()> apply;
        std::vector<std::wstring> again;  // what the file's own type library names
        bool asWhole;                     // the settled index equals a whole reading
    } rows[] = {
        {"classes added", false, add, {}, true},
        {"a class's name and server rewritten", false, rewrite, {}, true},
        {"the same, before the export began", true, rewrite, {}, false},
        {"servers changed in place", false, move, {clsid(12)}, true},
        {"a class of the file's removed", false, remove, {}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.change);
        ForgetClasses(L"7E55D0");
        for (int n = 0; n < 64; n += 4) PutClass(clsid(n), n == 8 ? server : other);
        services::RegistryIndex index(HKEY_LOCAL_MACHINE, services::IndexedKey::Classes,
                                      RegistryView::Bits32);
        ASSERT_TRUE(index.Rebuild(kGoOn));
        if (row.before) row.apply();
        // Clear of the clock's tick on either side.
        Sleep(50);
        const ULONGLONG since = services::RegistryClockNow();
        Sleep(50);
        if (!row.before) row.apply();
        EXPECT_TRUE(index.Settle(since, row.again, {L"testcomserver.dll"}, kGoOn));
        EXPECT_TRUE(index.Fresh()) << "watched again";
        services::RegistryIndex whole(HKEY_LOCAL_MACHINE, services::IndexedKey::Classes,
                                      RegistryView::Bits32);
        ASSERT_TRUE(whole.Rebuild(kGoOn));
        EXPECT_EQ(Flat(index) == Flat(whole), row.asWhole);
        const auto* kept = index.Find(clsid(16));
        ASSERT_TRUE(kept && kept->paths.size() == 1);
        if (row.before) {
            EXPECT_EQ(kept->paths[0].spelled, other) << "taken as it was read";
        }
    }
    ForgetClasses(L"7E55D0");
}

// A type library made here and put into a copy of a server: the classes it
// names are read again after the export, wherever they pointed before.
TEST(RegistryNames, ClassesOfTheServersOwnTypeLibraryAreReadAgain) {
    const std::wstring folder = TestProgramDir();
    const std::wstring tlb = folder + L"\\own.tlb", server = folder + L"\\owntypelib server.dll";
    const GUID libid = {0x7e55d000, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0}};
    const GUID clsid = {0x7e55d001, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0}};
    ASSERT_TRUE(testkit::CopyWithTypeLib(ServerPath(L"okreg.dll"), server, tlb, libid, clsid));

    const auto own = services::ReadOwnTypeLib(server);
    EXPECT_EQ(own.libid, L"{7E55D000-0000-4000-8000-000000000000}");
    ASSERT_EQ(own.classes, std::vector<std::wstring>{L"{7E55D001-0000-4000-8000-000000000000}"});

    // The class pointed at a file of another name, so only the type library tells it is the server's.
    const std::wstring key = own.classes[0];
    PutClass(key, ServerPath(L"failreg.dll"));
    const auto target = services::TargetOf(services::ResolveServer(server));
    ASSERT_TRUE(target);
    const auto facts = services::FactsOf(*target, nullptr, true);
    ASSERT_TRUE(facts);
    services::ViewIndexes indexes(RegistryView::Bits32);
    ASSERT_TRUE(indexes.Refresh(kGoOn));
    std::array<bool, services::ViewIndexes::kCount> fresh{};
    for (size_t i = 0; i < fresh.size(); ++i) fresh[i] = indexes[i].Fresh();
    PutClass(key, server);  // as its export would
    ASSERT_TRUE(indexes.AfterExport(fresh, *facts, kGoOn));
    const services::RegistryNames names = indexes.Collect(*target, *facts);
    ASSERT_EQ(names.classes.size(), 1u);
    EXPECT_EQ(names.classes[0].clsid, key);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(key).c_str());
    DeleteFileW(server.c_str());
}

// Counts the calls of the system's type-library loader in this process while
// it lives, each answered as a failure: its first bytes jump here.
class TypeLibLoaderWatch {
public:
    TypeLibLoaderWatch()
        : loader_(
              reinterpret_cast<uint8_t*>(GetProcAddress(LoadLibraryW(L"oleaut32.dll"), "LoadTypeLibEx"))) {
        calls = 0;
        std::memcpy(saved_, loader_, sizeof saved_);
        uint8_t jump[sizeof saved_] = {0xE9};
        const auto to =
            reinterpret_cast<intptr_t>(&Counted) - reinterpret_cast<intptr_t>(loader_ + sizeof jump);
        std::memcpy(jump + 1, &to, 4);
        Write(jump);
    }
    ~TypeLibLoaderWatch() { Write(saved_); }
    TypeLibLoaderWatch(const TypeLibLoaderWatch&) = delete;
    TypeLibLoaderWatch& operator=(const TypeLibLoaderWatch&) = delete;

    static inline std::atomic<int> calls{0};

private:
    static HRESULT WINAPI Counted(LPCOLESTR, REGKIND, ITypeLib**) {
        ++calls;
        return TYPE_E_CANTLOADLIBRARY;
    }
    void Write(const uint8_t* bytes) {
        DWORD was = 0;
        VirtualProtect(loader_, sizeof saved_, PAGE_EXECUTE_READWRITE, &was);
        std::memcpy(loader_, bytes, sizeof saved_);
        VirtualProtect(loader_, sizeof saved_, was, &was);
        FlushInstructionCache(GetCurrentProcess(), loader_, sizeof saved_);
    }

    uint8_t* loader_;
    uint8_t saved_[5] = {};
};

// A path in the field runs no system parser on the file; a command does.
TEST(NamesReader, ALookAheadLeavesTheTypeLibraryUnread) {
    const std::wstring server = TestProgramDir() + L"\\lookahead server.dll";
    const GUID libid = {0x7e55d100, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0}};
    ASSERT_TRUE(testkit::CopyWithTypeLib(ServerPath(L"okreg.dll"), server, TestProgramDir() + L"\\la.tlb",
                                         libid, libid));
    const auto target = services::TargetOf(services::ResolveServer(server));
    ASSERT_TRUE(target);
    {
        const TypeLibLoaderWatch watch;
        services::NamesReader reader;
        reader.LookAhead(services::ResolveServers({server, ServerPath(L"testcomserver.dll")}));
        const auto reading = reader.ExportStarts(*target, services::AheadInProgress::Finish);
        EXPECT_EQ(TypeLibLoaderWatch::calls, 0);
        reader.ExportEnded(*reading, true);
        ASSERT_EQ(WaitForSingleObject(reading->Done(), 60000), WAIT_OBJECT_0);
        EXPECT_TRUE(reading->Result());
        EXPECT_EQ(TypeLibLoaderWatch::calls, 1);
    }
    DeleteFileW(server.c_str());
}

// A script's export runs beside the reading ahead, whenever in it the export
// writes: its answer is what a reading after the export finds.
TEST(NamesReader, AnExportBesideTheReadingAheadIsAnsweredAsAfterIt) {
    const std::wstring server = ServerPath(L"testcomserver.dll"), other = ServerPath(L"okreg.dll");
    const auto target = services::TargetOf(services::ResolveServer(server));
    ASSERT_TRUE(target);
    const auto clsid = [](int n) { return TestClsid(n, L"7E55A0"); };
    for (const DWORD writesAfterMs : {0, 5, 20, 80}) {
        SCOPED_TRACE(writesAfterMs);
        ForgetClasses(L"7E55A0");
        PutClass(clsid(1), server);  // a class left behind, which the export removes
        PutClass(clsid(2), other);   // one the export takes over
        services::NamesReader reader;
        reader.LookAhead(services::ResolveServers({server}));
        const auto reading = reader.ExportStarts(*target, services::AheadInProgress::Finish);
        Sleep(writesAfterMs);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(clsid(1)).c_str());
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, ClassKey(clsid(2)).c_str(), nullptr, REG_SZ, L"Taken", 12);
        PutClass(clsid(2), server);
        PutClass(clsid(3), server);
        reader.ExportEnded(*reading, true);
        ASSERT_EQ(WaitForSingleObject(reading->Done(), 60000), WAIT_OBJECT_0);
        ASSERT_TRUE(reading->Result());
        std::vector<std::wstring> found;
        for (const auto& named : reading->Result()->classes) found.push_back(named.clsid);
        EXPECT_EQ(found, ClassesNaming(server));
        const auto times = [&](int n) { return std::count(found.begin(), found.end(), clsid(n)); };
        EXPECT_EQ((std::vector<long>{times(1), times(2), times(3)}), (std::vector<long>{0, 1, 1}));
    }
    ForgetClasses(L"7E55A0");
}

// A class's name longer than any path is skipped and counted; one as long is shown.
TEST(RegistryNames, ANameTooLongToBeAPathIsSkippedAndCounted) {
    const std::wstring server = ServerPath(L"testcomserver.dll"), clsid = TestClsid(0, L"7E55E0");
    const auto target = services::TargetOf(services::ResolveServer(server));
    ASSERT_TRUE(target);
    for (const size_t length : {services::kLongestRegText, services::kLongestRegText + 1}) {
        const std::wstring name(length, L'N');
        PutClass(clsid, server);
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, ClassKey(clsid).c_str(), nullptr, REG_SZ, name.c_str(),
                        static_cast<DWORD>((length + 1) * sizeof(wchar_t)));
        services::ViewIndexes indexes(RegistryView::Bits32);
        ASSERT_TRUE(indexes.Refresh(kGoOn));
        const services::RegistryNames names = indexes.Collect(*target, *services::FactsOf(*target));
        const bool tooLong = length > services::kLongestRegText;
        EXPECT_EQ(names.skipped, tooLong ? 1u : 0u);
        ASSERT_EQ(names.classes.size(), 1u);
        EXPECT_EQ(names.classes[0].name, tooLong ? L"" : name);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey(clsid).c_str());
    }
}

}  // namespace
