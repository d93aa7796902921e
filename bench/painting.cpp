#include "painting.h"

#include <windows.h>

#include <functional>
#include <optional>

#include "launch.h"
#include "runtime/gdi.h"

namespace bench {
namespace {

constexpr int kCallsPerRun = 20;

// Microseconds per call, averaged over a batch, with the drawing flushed.
double PerCallUs(const std::function<void()>& call) {
    const double start = NowMs();
    for (int i = 0; i < kCallsPerRun; ++i) call();
    GdiFlush();
    return (NowMs() - start) * 1000.0 / kCallsPerRun;
}

// One copy of a 32-bit image the size of a button onto the button's window:
// what showing a finished face costs at the least.
class Blit {
public:
    Blit(HWND target, int width, int height)
        : target_(target), dc_(GetDC(target)), memory_(dc_), width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_ = rt::gdi::Bitmap(CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        selection_.emplace(memory_.Get(), bitmap_.Get());
    }
    ~Blit() {
        selection_.reset();
        ReleaseDC(target_, dc_);
    }
    Blit(const Blit&) = delete;
    Blit& operator=(const Blit&) = delete;
    void operator()() const { BitBlt(dc_, 0, 0, width_, height_, memory_.Get(), 0, 0, SRCCOPY); }

private:
    HWND target_;
    HDC dc_;
    rt::gdi::MemoryDC memory_;
    rt::gdi::Bitmap bitmap_;
    std::optional<rt::gdi::Selection> selection_;
    int width_, height_;
};

}  // namespace

void MeasurePainting(MainWindow& window, int runs, std::vector<Row>& rows) {
    aero::AeroButton& button = window.Button(L"cmdBrowse");
    const int width = button.ScaleWidth(), height = button.ScaleHeight();
    const Blit blit(button.hWnd(), width, height);
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    const std::string reference = "BitBlt " + size;
    const char* faces[] = {"Normal", "Hot", "Down", "Disabled"};

    std::vector<std::pair<Row, std::function<void()>>> measures;
    for (long state = aero::Normal; state <= aero::Disabled; ++state)
        measures.push_back(
            {Row{std::string("PaintButton ") + size + ", " + faces[state], "us", {}, reference, {}, 1},
             [&button, state] { button.Redraw(state, true); }});
    measures.push_back({Row{"Redraw that changes nothing", "us", {}, reference, {}, 2},
                        [&button] { button.Redraw(aero::kKeepState, false); }});
    measures.push_back({Row{"Redraw of all six buttons", "us", {}, reference, {}, 1}, [&window] {
                            for (aero::AeroButton* b : window.Buttons()) b->Redraw(aero::kKeepState, true);
                        }});
    // As the user sees it: each button's WM_PAINT shows its new image.
    measures.push_back({Row{"... and on screen (UpdateWindow)", "us", {}, reference, {}, 1}, [&window] {
                            for (aero::AeroButton* b : window.Buttons()) b->Redraw(aero::kKeepState, true);
                            for (aero::AeroButton* b : window.Buttons()) UpdateWindow(b->hWnd());
                        }});

    // Last to first: the faces end on Normal, so the other measures always see a normal button.
    for (int run = 0; run < runs; ++run)
        for (auto it = measures.rbegin(); it != measures.rend(); ++it) {
            it->first.program.push_back(PerCallUs(it->second));
            it->first.baseline.push_back(PerCallUs([&blit] { blit(); }));
        }
    for (auto& [row, call] : measures) rows.push_back(std::move(row));
    Pump(50);
}

}  // namespace bench
