#include "reportclick.h"

#include <windows.h>

#include <cstdio>

#include "launch.h"
#include "registration.h"
#include "runtime/handles.h"
#include "windowdrive.h"

namespace bench {
namespace {

constexpr int kMoreClasses = 10000;

// Spread over the whole range of identifiers, as a crowded machine's are.
std::wstring MoreClass(int n) {
    wchar_t text[64];
    wsprintfW(text, L"{%08lX-7E55-4F11-8000-%012d}", static_cast<unsigned long>(n * 2654435761u), n);
    return text;
}

// Adds the classes, each with a server file of its own and a threading model, or removes them.
bool MoreClasses(bool add) {
    rt::RegKey classes;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID", 0, KEY_ALL_ACCESS, classes.Put()))
        return false;
    const std::wstring model = L"Apartment";
    for (int n = 0; n < kMoreClasses; ++n) {
        const std::wstring key = MoreClass(n) + L"\\InprocServer32";
        if (!add) {
            RegDeleteTreeW(classes.Get(), MoreClass(n).c_str());
            continue;
        }
        const std::wstring file = L"C:\\Program Files\\Vendor " + std::to_wstring(n % 97) + L"\\server" +
                                  std::to_wstring(n) + L".dll";
        if (RegSetKeyValueW(classes.Get(), key.c_str(), nullptr, REG_SZ, file.c_str(),
                            static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t))) ||
            RegSetKeyValueW(classes.Get(), key.c_str(), L"ThreadingModel", REG_SZ, model.c_str(),
                            static_cast<DWORD>((model.size() + 1) * sizeof(wchar_t))))
            return false;
    }
    return true;
}

// Each run names the file, waits as a person would, clicks, and then lets the tool register it too.
bool Clicks(const DrivenWindow& window, const std::wstring& server, const std::wstring& command, int runs,
            DWORD leadMs, Row& row) {
    for (int i = 0; i < runs; ++i) {
        window.Name(L"");
        window.Name(server);
        Sleep(leadMs);
        const double click = window.ClickToAnswer();
        const double whole = RunToEnd(command);
        if (click < 0 || whole < 0) return false;
        row.program.push_back(click);
        row.baseline.push_back(whole);
    }
    return true;
}

}  // namespace

bool MeasureReportedClicks(int runs, const std::wstring& program, const std::wstring& server,
                           std::vector<Row>& rows) {
    const std::wstring command = L"\"" + SystemFolder() + L"regsvr32.exe\" /s \"" + server + L"\"";
    Row plain{"Register, click to answer, with report", "ms", {}, "regsvr32 /s, whole process", {}, 2};
    Row crowded{"... 10,000 more classes, named 3 s on", "ms", {}, "regsvr32 /s, whole process", {}, 2};
    MoreClasses(false);  // left by a run that was stopped
    DrivenWindow window;
    Row warmUp;
    // The first click loads the server and registers its class anew; later ones find both.
    bool ok = window.Start(program) && Clicks(window, server, command, 1, 1000, warmUp) &&
              Clicks(window, server, command, runs, 1000, plain);
    ok = ok && MoreClasses(true) && Clicks(window, server, command, runs, 3000, crowded);
    MoreClasses(false);
    if (!ok) {
        std::fprintf(stderr, "bench: cannot register through the window with its report\n");
        return false;
    }
    rows.push_back(std::move(plain));
    rows.push_back(std::move(crowded));
    return true;
}

}  // namespace bench
