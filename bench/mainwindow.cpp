#include "mainwindow.h"

#include <windows.h>
// The platform headers below build on windows.h.
#include <commctrl.h>

#include "errors.h"
#include "frmreg.h"
#include "hosting.h"
#include "keys.h"
#include "launch.h"

namespace bench {

MainWindow::MainWindow() {
    form_.Events().Initialize = [] { InitCommonControls(); };
    aero::LoadFormWithButtons(form_, StoredMainWindow(GetModuleHandleW(nullptr)), buttons_);
    form_.Show();
    Pump(200);
}

aero::AeroButton& MainWindow::Button(const wchar_t* name) const {
    aero::AeroButton* button = aero::FindButton(buttons_, name);
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
