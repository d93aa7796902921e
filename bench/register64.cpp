#include "register64.h"

#include <windows.h>

#include <cstdio>

#include "launch.h"
#include "windowdrive.h"

namespace bench {

std::wstring RegistrationTool64() {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    // A 32-bit process reaches the 64-bit system folder by its alias.
    return std::wstring(windows) + L"\\Sysnative\\regsvr32.exe";
}

bool MeasureRegister64(int runs, const std::wstring& program, const std::wstring& server,
                       std::vector<Row>& rows) {
    const std::wstring command = L"\"" + RegistrationTool64() + L"\" /s \"" + server + L"\"";
    // The first click after the path arrives, half a second later; later ones find a helper waiting too.
    Row first{"... the first click, 0.5 s on", "ms", {}, "64-bit regsvr32 /s, whole process", {}, 1};
    Row row{"64-bit server, click to answer", "ms", {}, "64-bit regsvr32 /s, whole process", {}, 1};
    DrivenWindow window;
    bool ok = window.Start(program);
    if (ok) {
        window.Name(server);
        // The system's 64-bit side is started once first, so that neither measure pays for it.
        ok = RunToEnd(command) >= 0;
        // A person's move from the field to the button takes longer than this; the helper
        // the path's arrival got ready has started meanwhile.
        Sleep(500);
        first.program.push_back(window.ClickToAnswer());
        first.baseline.push_back(RunToEnd(command));
        ok = ok && first.program[0] >= 0 && first.baseline[0] >= 0;
    }
    for (int i = 0; ok && i < runs; ++i) {
        const double click = window.ClickToAnswer();
        const double whole = RunToEnd(command);
        ok = click >= 0 && whole >= 0;
        row.program.push_back(click);
        row.baseline.push_back(whole);
    }
    if (!ok) {
        std::fprintf(stderr, "bench: cannot register the 64-bit server through the window\n");
        return false;
    }
    rows.push_back(std::move(row));
    rows.push_back(std::move(first));
    return true;
}

}  // namespace bench
