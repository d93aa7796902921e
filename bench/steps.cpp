// The program's start-up taken apart: the steps that WinMain and frmReg::Load
// run, with the same functions, one at a time, each timed. One start prints
// one "step<TAB>milliseconds" line per step; `make bench-steps` starts it
// repeatedly and prints the medians.
#include <windows.h>
// The platform headers below build on windows.h.
#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "launch.h"
#include "main/frmreg.h"
#include "main/modfunctions.h"
#include "registration/clsreg.h"
#include "resource_names.h"
#include "runtime/app.h"
#include "runtime/dpi.h"
#include "runtime/errors.h"
#include "runtime/filedrop.h"
#include "runtime/formload.h"
#include "runtime/formtext.h"
#include "runtime/gdi.h"
#include "runtime/imagezone.h"
#include "runtime/picturebox.h"
#include "runtime/textbox.h"
#include "skin.h"
#include "system/dlg.h"
#include "system/os.h"

namespace {

// Milliseconds from this process's creation to now, on the system clock.
double SinceProcessCreation() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

std::wstring Description(HINSTANCE module) {
    HRSRC found = FindResourceW(module, res::FormDescription, MAKEINTRESOURCEW(10));  // RT_RCDATA
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    const int size = static_cast<int>(SizeofResource(module, found));
    std::wstring text(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes, size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes, size, text.data(), static_cast<int>(text.size()));
    return text;
}

class Clock {
public:
    // Milliseconds since the last lap.
    double Lap() {
        const double now = bench::NowMs(), lap = now - last_;
        last_ = now;
        return lap;
    }

private:
    double last_ = bench::NowMs();
};

struct Step {
    const char* name;
    double ms;
};

// The AeroButtons made by the loader as the product's factory makes them, timed apart.
void TimeAeroButtons(double& total) {
    rt::RegisterControlType(aero::kAeroButtonType,
                            [&total](const rt::StoredObject& stored, rt::Container& container,
                                     const RECT& bounds) -> std::unique_ptr<rt::Control> {
                                Clock clock;
                                auto button = rt::CreateStored(std::make_unique<aero::AeroButton>(), stored,
                                                               container, bounds);
                                rt::PropertyBag own = stored.Properties;
                                button->LoadProperties(own);
                                total += clock.Lap();
                                return button;
                            });
}

std::vector<Step> StartUp() {
    std::vector<Step> steps{{"process creation to main", SinceProcessCreation()}};
    Clock clock;
    rt::App app;
    steps.push_back({"OLE initialised (rt::App)", clock.Lap()});
    const HINSTANCE module = GetModuleHandleW(nullptr);
    const auto os = std::make_unique<clsOS>();
    os->GetSystemOS();
    steps.push_back({"OS name", clock.Lap()});
    const rt::StoredObject parsed = rt::ParseFormText(Description(module));
    const double parse = clock.Lap();
    steps.push_back({"description parse", parse});
    const rt::StoredObject stored = StoredMainWindow(module, os->WindowsID());
    steps.push_back({"pictures and cursor from resources", clock.Lap() - parse});

    rt::Form form;
    form.SetIcons(modFunctions::WindowIcon(res::MainIcon, ICON_BIG),
                  modFunctions::WindowIcon(res::MainIcon, ICON_SMALL));
    steps.push_back({"icons loaded", clock.Lap()});
    double commonControls = 0, buttons = 0;
    form.Events().Initialize = [&commonControls] {
        Clock inner;
        InitCommonControls();
        commonControls = inner.Lap();
    };
    TimeAeroButtons(buttons);
    clock.Lap();
    rt::LoadForm(form, stored);
    const double formAndControls = clock.Lap();
    steps.push_back({"common controls initialised", commonControls});
    steps.push_back(
        {"form window (at its size, with icons), its controls", formAndControls - commonControls - buttons});
    steps.push_back({"six AeroButtons (surfaces, fonts, hooks, paint)", buttons});

    // Form_Load
    clock.Lap();
    const auto dlg = std::make_unique<clsDlg>();
    const auto reg = std::make_unique<clsReg>(module, res::Helper64);
    steps.push_back({"services", clock.Lap()});
    form.SetOuterSize(kOuterWidthTwips, OuterHeightTwips(os->WindowsID()));
    steps.push_back({"outer size (unchanged)", clock.Lap()});
    modFunctions::MakeRoundedWindow(form.hWnd());
    steps.push_back({"rounded region", clock.Lap()});
    // The skin drawn for the display's scale, as the main window does at load.
    const int dpi = rt::CurrentDpi();
    RECT client{};
    GetClientRect(form.hWnd(), &client);
    form.SetPicture(skin::ToPicture(skin::DrawBackground(dpi, SIZE{client.right, client.bottom})));
    const rt::PictureRef strip = skin::ToPicture(skin::DrawStrip(skin::Look::Rest, skin::Look::Rest, dpi));
    for (int i = 0; i < 4; ++i) skin::ToPicture(skin::DrawStrip(skin::Look::Hot, skin::Look::Rest, dpi));
    steps.push_back({"skin drawn (background and five strips)", clock.Lap()});
    rt::PictureBox& picN = *form.Find<rt::PictureBox>(L"picN");
    picN.SetWidth(strip->PixelWidth());
    picN.SetHeight(strip->PixelHeight());
    picN.SetPicture(strip);
    picN.Move(static_cast<int>(form.ScaleWidth()) - picN.Width() - rt::ScaleToDpi(8, dpi), 0);
    steps.push_back({"picture strip placed", clock.Lap()});
    rt::AcceptDroppedFiles(form.hWnd());
    rt::AcceptDroppedFiles(form.Find<rt::TextBox>(L"txtSource")->hWnd());
    steps.push_back({"drops accepted (window and field)", clock.Lap()});

    form.Show();
    steps.push_back({"show, centre, focus", clock.Lap()});
    RedrawWindow(form.hWnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    steps.push_back({"first paint", clock.Lap()});
    steps.push_back({"total, process creation to painted", 0});
    for (size_t i = 0; i + 1 < steps.size(); ++i) steps.back().ms += steps[i].ms;
    return steps;
}

}  // namespace

int main() {
    try {
        for (const Step& s : StartUp()) std::printf("%s\t%.2f\n", s.name, s.ms);
        return 0;
    } catch (const rt::RuntimeError& e) {
        std::fprintf(stderr, "steps: %ls\n", e.Info().Description.c_str());
        return 1;
    }
}
