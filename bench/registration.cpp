#include "registration.h"

#include <windows.h>

#include <cstdio>

#include "launch.h"
#include "registration/clsreg.h"

namespace bench {
namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::string FileName(const std::wstring& path) {
    return Narrow(path.substr(path.find_last_of(L'\\') + 1));
}

}  // namespace

bool MeasureWholeProcesses(int runs, const std::wstring& program, const std::wstring& tool,
                           const std::wstring& arguments, DWORD expectedExit, Row& row, bool logged,
                           const std::wstring& before) {
    const std::wstring ours = L"\"" + program + L"\" " + arguments,
                       theirs = L"\"" + tool + L"\" " + arguments;
    const auto run = [&](const std::wstring& command) {
        return before.empty() || RunToEnd(before) >= 0 ? RunToEnd(command, expectedExit, logged) : -1.0;
    };
    // The first of each loads what later runs find in the system's file cache.
    bool ok = run(ours) >= 0 && run(theirs) >= 0;
    for (int i = 0; ok && i < runs; ++i) {
        row.program.push_back(run(ours));
        row.baseline.push_back(run(theirs));
        ok = row.program.back() >= 0 && row.baseline.back() >= 0;
    }
    if (!ok) std::fprintf(stderr, "bench: %s did not end as expected\n", row.measure.c_str());
    return ok;
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\";
}

bool MeasureRegistration(int runs, const std::vector<std::wstring>& servers, std::vector<Row>& rows) {
    clsReg reg;
    const std::wstring tool = SystemFolder() + L"regsvr32.exe";
    for (const std::wstring& server : servers) {
        Row row{"Register " + FileName(server) + " (clsReg)", "ms", {}, "regsvr32 /s, whole process", {}, 2};
        const std::wstring command = L"\"" + tool + L"\" /s \"" + server + L"\"";
        // The first call also loads the module; every later one finds it loaded, as a second click does.
        if (!reg.RegisterCOMServer(server) || RunToEnd(command) < 0) {
            std::fprintf(stderr, "bench: cannot register %s\n", FileName(server).c_str());
            return false;
        }
        for (int i = 0; i < runs; ++i) {
            const double start = NowMs();
            const bool ok = reg.RegisterCOMServer(server);
            row.program.push_back(NowMs() - start);
            const double whole = RunToEnd(command);
            if (!ok || whole < 0) return false;
            row.baseline.push_back(whole);
        }
        rows.push_back(std::move(row));
    }
    return true;
}

}  // namespace bench
