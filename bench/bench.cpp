// make bench: start-up, registration, painting and footprint of the program,
// each against a reference measured in the same run, printed as one table.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "launch.h"
#include "mainwindow.h"
#include "painting.h"
#include "register64.h"
#include "registration.h"
#include "reportclick.h"
#include "runtime/app.h"
#include "runtime/errors.h"
#include "runtime/gdi.h"
#include "stats.h"
#include "table.h"

namespace {

using bench::Row;

std::wstring Beside(const std::wstring& relative) {
    std::wstring path = bench::OwnFolder() + relative;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    wchar_t full[MAX_PATH * 2] = {};
    GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    return full;
}

double FileKiB(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<double>(data.nFileSizeLow) / 1024.0;
}

struct Starts {
    std::vector<double> ms;
    std::vector<bench::Footprint> footprints;
    std::vector<double> Of(double bench::Footprint::*field) const {
        std::vector<double> values;
        for (const auto& f : footprints) values.push_back(f.*field);
        return values;
    }
};

// The most the exe may weigh, 1,500,000 bytes (tests/main/check_pe.sh fails beyond it).
constexpr double kLargestKiB = 1500000 / 1024.0;

bool AllZero(const std::vector<double>& values) {
    for (double v : values)
        if (v != 0) return false;
    return true;
}

// The program and its references started in turn, run by run, after one unmeasured start of each.
bool MeasureStarts(int runs, const std::vector<std::wstring>& exes, std::vector<Starts>& starts) {
    starts.assign(exes.size(), {});
    for (const auto& exe : exes)
        if (!bench::StartUntilIdle(exe).ok) {
            std::fprintf(stderr, "bench: %ls did not become visible and idle\n", exe.c_str());
            return false;
        }
    for (int run = 0; run < runs; ++run)
        for (size_t i = 0; i < exes.size(); ++i) {
            const bench::StartResult r = bench::StartUntilIdle(exes[i]);
            if (!r.ok) return false;
            starts[i].ms.push_back(r.ms);
            starts[i].footprints.push_back(r.footprint);
        }
    return true;
}

// The rows of what the running window holds; the notes on counters this platform leaves at 0.
std::string AddFootprintRows(const Starts& product, const Starts& floor, double exeKiB, double floorKiB,
                             long liveObjects, std::vector<Row>& rows) {
    std::string notes;
    using F = bench::Footprint;
    const char* floorName = "floor program";
    rows.push_back({"exe size", "KiB", {exeKiB}, floorName, {floorKiB}, 0});
    rows.push_back({"exe size", "KiB", {exeKiB}, "the most it may weigh", {kLargestKiB}, 0});
    rows.push_back(
        {"private memory", "KiB", product.Of(&F::privateKiB), floorName, floor.Of(&F::privateKiB), 0});
    rows.push_back({"handles", "", product.Of(&F::handles), floorName, floor.Of(&F::handles), 0});
    if (AllZero(product.Of(&F::gdiObjects))) {
        rows.push_back({"GDI objects (runtime's count*)", "", {static_cast<double>(liveObjects)}, "", {}, 0});
        notes +=
            "*  The platform's GDI counter reads 0 here: objects held through the runtime's wrappers\n"
            "   (rt::gdi::LiveObjects) with the main window shown, in a bench process that builds it.\n";
    } else {
        rows.push_back(
            {"GDI objects", "", product.Of(&F::gdiObjects), floorName, floor.Of(&F::gdiObjects), 0});
    }
    if (AllZero(product.Of(&F::userObjects))) {
        rows.push_back(
            {"USER objects (windows**)", "", product.Of(&F::windows), floorName, floor.Of(&F::windows), 0});
        notes +=
            "** The platform's USER counter reads 0 here: the process's windows, counted from outside.\n";
    } else {
        rows.push_back(
            {"USER objects", "", product.Of(&F::userObjects), floorName, floor.Of(&F::userObjects), 0});
    }
    return notes;
}

// Command mode as a script meets it: a whole process, against the system's own
// tool (the 32-bit one, also on a 64-bit system). To a log it says what names
// the file, which costs a reading of the registry; to nowhere it reads none.
bool MeasureCommandMode(int runs, const std::wstring& product, const std::wstring& server,
                        std::vector<Row>& rows, bool logOnly = false) {
    const std::wstring tool = bench::SystemFolder() + L"regsvr32.exe", file = L"/s \"" + server + L"\"";
    const char* reference = "regsvr32 /s, whole process";
    Row silent{"tessiver.exe /s, 32-bit server, to a log", "ms", {}, reference, {}, 1};
    Row first{"... a first registration", "ms", {}, reference, {}, 1};
    Row unread{"... output to nowhere", "ms", {}, reference, {}, 1};
    Row missing{"... a missing file (start, OLE, end)", "ms", {}, reference, {}, 1};
    Row usage{"... /s /? (start and end)", "ms", {}, "regsvr32 /s /?, whole process", {}, 1};
    if (!bench::MeasureWholeProcesses(runs, product, tool, file, 0, silent)) return false;
    rows.push_back(std::move(silent));
    if (logOnly) return true;
    // A script's usual case: the server was not registered before (the rows above register it again).
    if (!bench::MeasureWholeProcesses(runs, product, tool, file, 0, first, true,
                                      L"\"" + tool + L"\" /u /s \"" + server + L"\"") ||
        !bench::MeasureWholeProcesses(runs, product, tool, file, 0, unread, false) ||
        !bench::MeasureWholeProcesses(runs, product, tool, L"/s no-such-server.dll", 3, missing) ||
        !bench::MeasureWholeProcesses(runs, product, tool, L"/s /?", 1, usage))
        return false;
    rows.push_back(std::move(first));
    rows.push_back(std::move(unread));
    rows.push_back(std::move(missing));
    rows.push_back(std::move(usage));
    return true;
}

// The bench's own servers are unregistered once it ends, so that the tests
// after it find the prefix as they left it.
class Unregistering {
public:
    void Add(const std::wstring& tool, const std::wstring& server) {
        commands_.push_back(L"\"" + tool + L"\" /u /s \"" + server + L"\"");
    }
    ~Unregistering() {
        for (const std::wstring& command : commands_) bench::RunToEnd(command);
    }

private:
    std::vector<std::wstring> commands_;
};

struct Options {
    int runs = 15;
    bool startupOnly = false;
    bool register64 = false;   // the rows of a 64-bit system, in a 64-bit prefix
    bool commandOnly = false;  // command mode's rows alone
    bool clicksOnly = false;   // the reported clicks' rows alone
    std::wstring other;        // another build of the program, started in the same rounds
};

int Bench(const Options& options) {
    const int runs = options.runs;
    rt::App app;  // OLE, as in the program: servers' registration code relies on it
    const std::wstring product = Beside(TESSIVER_EXE_FROM_BENCH), floor = Beside(L"floor.exe"),
                       bare = Beside(L"bare.exe");
    std::vector<Row> rows;
    const std::wstring server = Beside(SERVERS_FROM_BENCH L"/testcomserver.dll");
    Unregistering unregistering;
    unregistering.Add(bench::SystemFolder() + L"regsvr32.exe", server);
    if (options.register64) {
        // Most users' system: a 32-bit server goes through the 32-bit view there.
        if (!MeasureCommandMode(runs, product, server, rows, true)) return 1;
        const std::wstring server64 = Beside(SERVERS_FROM_BENCH L"/x64/comserver64.dll");
        unregistering.Add(bench::RegistrationTool64(), server64);
        Row silent64{"tessiver.exe /s, 64-bit server, to a log", "ms", {},
                     "64-bit regsvr32 /s, whole process",        {},   1};
        if (!options.commandOnly && !bench::MeasureRegister64(runs, product, server64, rows)) return 1;
        if (!bench::MeasureWholeProcesses(runs, product, bench::RegistrationTool64(),
                                          L"/s \"" + server64 + L"\"", 0, silent64))
            return 1;
        rows.push_back(std::move(silent64));
        Row other64{"other build /s, 64-bit server, to a log", "ms", {}, "this build", {}, 1};
        if (!options.other.empty()) {
            if (!bench::MeasureWholeProcesses(runs, options.other, product, L"/s \"" + server64 + L"\"", 0,
                                              other64))
                return 1;
            rows.push_back(std::move(other64));
        }
        bench::PrintTable(
            "make bench, in the 64-bit prefix: " + std::to_string(runs) + " runs each, alternating", rows);
        return 0;
    }
    if (options.clicksOnly) {
        if (!bench::MeasureReportedClicks(runs, product, server, rows)) return 1;
        const size_t ours = rows.size();
        if (!options.other.empty() && !bench::MeasureReportedClicks(runs, options.other, server, rows))
            return 1;
        for (size_t i = ours; i < rows.size(); ++i) rows[i].measure = "other build: " + rows[i].measure;
        bench::PrintTable("make bench, clicks: " + std::to_string(runs) + " runs each, alternating", rows);
        return 0;
    }
    if (options.commandOnly) {
        Row other{"other build /s, to a log", "ms", {}, "this build", {}, 1};
        if (!options.other.empty() &&
            !bench::MeasureWholeProcesses(runs, options.other, product, L"/s \"" + server + L"\"", 0, other))
            return 1;
        if (!options.other.empty()) rows.push_back(std::move(other));
        if (!MeasureCommandMode(runs, product, server, rows)) return 1;
        bench::PrintTable("make bench-command: " + std::to_string(runs) + " runs each, alternating", rows);
        return 0;
    }

    std::vector<Starts> starts;
    std::vector<std::wstring> exes{product, floor, bare};
    if (!options.other.empty()) exes.push_back(options.other);
    if (!MeasureStarts(runs, exes, starts)) return 1;
    rows.push_back({"start-up to visible and idle", "ms", starts[0].ms, "floor program", starts[1].ms, 1});
    rows.push_back({"start-up to visible and idle", "ms", starts[0].ms, "bare window", starts[2].ms, 1});
    rows.push_back({"floor program start-up", "ms", starts[1].ms, "bare window", starts[2].ms, 1});
    if (!options.other.empty())
        rows.push_back({"other build start-up", "ms", starts[3].ms, "this build", starts[0].ms, 1});
    if (options.startupOnly) {
        bench::PrintTable("make bench-startup: " + std::to_string(runs) + " runs each, alternating", rows);
        return 0;
    }

    const std::vector<std::wstring> servers = {server, bench::SystemFolder() + L"quartz.dll"};
    if (!bench::MeasureRegistration(runs, servers, rows)) return 1;
    if (!bench::MeasureReportedClicks(runs, product, servers[0], rows)) return 1;
    if (!MeasureCommandMode(runs, product, servers[0], rows)) return 1;

    bench::MainWindow window;
    const long liveObjects = rt::gdi::LiveObjects();
    bench::MeasurePainting(window, runs, rows);
    const std::string notes =
        AddFootprintRows(starts[0], starts[1], FileKiB(product), FileKiB(floor), liveObjects, rows);

    bench::PrintTable(
        "make bench: " + std::to_string(runs) +
            " runs each, program and reference alternating; ratio = program / reference, run by run",
        rows);
    if (!notes.empty()) std::printf("\n%s", notes.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            options.runs = std::max(1, std::atoi(argv[++i]));
        if (std::strcmp(argv[i], "--startup") == 0) options.startupOnly = true;
        if (std::strcmp(argv[i], "--register64") == 0) options.register64 = true;
        if (std::strcmp(argv[i], "--command") == 0) options.commandOnly = true;
        if (std::strcmp(argv[i], "--clicks") == 0) options.clicksOnly = true;
        if (std::strcmp(argv[i], "--compare") == 0 && i + 1 < argc) {
            // A Unix path is reached through Wine's drive Z:.
            const std::string path = argv[++i];
            options.other.assign(path.begin(), path.end());
            if (!options.other.empty() && options.other[0] == L'/') options.other = L"Z:" + options.other;
        }
    }
    try {
        return Bench(options);
    } catch (const rt::RuntimeError& e) {
        std::fprintf(stderr, "bench: %ls\n", e.Info().Description.c_str());
        return 1;
    }
}
