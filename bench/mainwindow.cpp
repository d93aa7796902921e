#include "mainwindow.h"

#include <windows.h>
// The platform headers below build on windows.h.
#include <commctrl.h>

#include "launch.h"
#include "main/frmreg.h"
#include "runtime/app.h"
#include "runtime/errors.h"
#include "runtime/formload.h"

namespace bench {

MainWindow::MainWindow() {
    form_.Events().Initialize = [] { InitCommonControls(); };
    aero::RegisterAeroButtonType();
    clsOS os;
    os.GetSystemOS();
    rt::LoadForm(form_, StoredMainWindow(GetModuleHandleW(nullptr), os.WindowsID()));
    for (rt::Control* control : form_.Controls())
        if (auto* button = dynamic_cast<aero::AeroButton*>(control)) buttons_.push_back(button);
    form_.Show();
    Pump(200);
}

aero::AeroButton& MainWindow::Button(const wchar_t* name) const {
    aero::AeroButton* button = form_.Find<aero::AeroButton>(name);
    if (!button) rt::Raise(5, L"bench", std::wstring(L"no button ") + name);
    return *button;
}

void Pump(double ms) {
    const double end = NowMs() + ms;
    do {
        rt::DoEvents();
        Sleep(1);
    } while (NowMs() < end);
}

}  // namespace bench
