// make soak: in one process, 1,000 register/unregister cycles of the test
// server through clsReg, then 10,000 hover, press and release cycles with real
// input on a real button of the main window. Handles, GDI and USER objects and
// private memory must end where they started, within a small tolerance.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

#include "input.h"
#include "launch.h"
#include "mainwindow.h"
#include "registration/clsreg.h"
#include "runtime/app.h"
#include "runtime/errors.h"
#include "runtime/gdi.h"
#include "stats.h"

namespace {

constexpr int kRegisterCycles = 1000;
constexpr int kInputCycles = 10000;
constexpr int kWarmUpCycles = 20;  // first loads, caches and cursors settle before the start is read
constexpr DWORD kStepTimeoutMs = 3000;

struct Counter {
    const char* name;
    double tolerance;
    bench::Gauge gauge;
};

// Handles, GDI and USER objects, private memory. Where the platform's GUI
// counters read 0 (Wine), the runtime's own GDI count and the process's windows stand in.
class Watch {
public:
    Watch() {
        const bench::Footprint f = Read();
        gdiFromPlatform_ = f.gdiObjects != 0;
        userFromPlatform_ = f.userObjects != 0;
        counters_[2].name = gdiFromPlatform_ ? "GDI objects" : "GDI objects (runtime's count)";
        counters_[3].name = userFromPlatform_ ? "USER objects" : "USER objects (windows)";
    }
    void Sample() {
        const bench::Footprint f = Read();
        counters_[0].gauge.Read(f.handles);
        counters_[1].gauge.Read(f.privateKiB);
        counters_[2].gauge.Read(gdiFromPlatform_ ? f.gdiObjects
                                                 : static_cast<double>(rt::gdi::LiveObjects()));
        counters_[3].gauge.Read(userFromPlatform_ ? f.userObjects : f.windows);
    }
    // Prints the table; true when nothing grew beyond its tolerance.
    bool Report(const char* title) const {
        std::printf("\n%s\n%-32s %10s %10s %10s %10s  %s\n", title, "counter", "start", "end", "max",
                    "tolerance", "verdict");
        bool flat = true;
        for (const Counter& c : counters_) {
            const bool grew = c.gauge.Grew(c.tolerance);
            flat = flat && !grew;
            std::printf("%-32s %10.0f %10.0f %10.0f %10.0f  %s\n", c.name, c.gauge.Start(), c.gauge.End(),
                        c.gauge.Max(), c.tolerance, grew ? "GREW" : "flat");
        }
        std::fflush(stdout);
        return flat;
    }

private:
    static bench::Footprint Read() {
        return bench::ReadFootprint(GetCurrentProcess(), GetCurrentProcessId());
    }

    bool gdiFromPlatform_ = false, userFromPlatform_ = false;
    Counter counters_[4] = {{"handles", 8, {}}, {"private memory (KiB)", 512, {}}, {"", 2, {}}, {"", 0, {}}};
};

// Runs `cycle` `count` times after a warm-up, sampling every `every` cycles.
bool Soak(const char* title, int count, int every, const std::function<bool(int)>& cycle) {
    Watch watch;
    for (int i = 0; i < kWarmUpCycles; ++i)
        if (!cycle(-1)) return false;
    watch.Sample();
    for (int i = 0; i < count; ++i) {
        if (!cycle(i)) return false;
        if ((i + 1) % every == 0) {
            watch.Sample();
            std::fprintf(stderr, "soak: %d of %d cycles\r", i + 1, count);
        }
    }
    return watch.Report(title);
}

// Runs messages until `done` holds or the time is up.
bool WaitFor(const std::function<bool()>& done) {
    const double end = bench::NowMs() + kStepTimeoutMs;
    while (!done()) {
        if (bench::NowMs() > end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        rt::DoEvents();
    }
    return true;
}

POINT OnScreen(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    return p;
}

bool RegisterCycles() {
    clsReg reg;
    wchar_t path[MAX_PATH * 2] = {};
    const std::wstring server = bench::OwnFolder() + SERVERS_FROM_BENCH L"\\testcomserver.dll";
    GetFullPathNameW(server.c_str(), MAX_PATH * 2, path, nullptr);
    return Soak("register/unregister through clsReg, 1,000 cycles", kRegisterCycles, 100, [&](int i) {
        if (reg.RegisterCOMServer(path) && reg.UnregisterCOMServer(path)) return true;
        std::fprintf(stderr, "soak: register/unregister cycle %d failed\n", i);
        return false;
    });
}

// The cursor goes round the six buttons: hover, press and release on each. A
// button's leave (WM_MOUSELEAVE) comes late under Wine, so the button is only
// waited for to be normal again when its turn comes round.
bool InputCycles() {
    bench::MainWindow window;
    const auto& buttons = window.Buttons();
    int turn = 0;
    return Soak("hover, press and release with real input, 10,000 cycles", kInputCycles, 500, [&](int i) {
        aero::AeroButton& button = *buttons[static_cast<size_t>(turn++) % buttons.size()];
        const auto is = [&button](long s) { return [&button, s] { return button.State() == s; }; };
        RECT client{};
        GetClientRect(button.hWnd(), &client);
        const POINT over = OnScreen(button.hWnd(), client.right / 2, client.bottom / 2);
        const struct {
            DWORD flags;
            std::function<bool()> reached;
            const char* what;
        } steps[] = {
            {0, is(aero::Normal), "normal again"},
            {MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, is(aero::Hot), "hot"},
            {MOUSEEVENTF_LEFTDOWN, is(aero::Down), "pressed"},
            {MOUSEEVENTF_LEFTUP, is(aero::Hot), "released"},
        };
        for (const auto& step : steps) {
            if (step.flags) testkit::SendMouse(step.flags | MOUSEEVENTF_MOVE, over);
            if (!WaitFor(step.reached)) {
                wchar_t under[64] = {};
                GetClassNameW(WindowFromPoint(over), under, 64);
                std::fprintf(
                    stderr,
                    "soak: input cycle %d: %ls was not %s in time (state %ld, under the cursor: %ls)\n", i,
                    button.Name().c_str(), step.what, button.State(), under);
                return false;
            }
        }
        return true;
    });
}

}  // namespace

int main() {
    rt::App app;  // OLE, as in the program
    try {
        std::printf(
            "make soak: start is read after %d warm-up cycles; a counter fails when its end exceeds its "
            "start by more than its tolerance\n",
            kWarmUpCycles);
        const bool registerFlat = RegisterCycles();
        const bool inputFlat = InputCycles();
        return registerFlat && inputFlat ? 0 : 1;
    } catch (const rt::RuntimeError& e) {
        std::fprintf(stderr, "soak: %ls\n", e.Info().Description.c_str());
        return 1;
    }
}
