#include <windows.h>

#include <commctrl.h>

#include "app.h"
#include "form.h"
#include "modfunctions.h"
#include "picture.h"
#include "resource_names.h"

namespace {

// The skinned main window is not built yet; until then the program shows a
// plain form of the runtime with the window's caption, size, picture and icons.
constexpr int kClientWidth = 511;
constexpr int kClientHeight = 168;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    rt::App app;  // OLE before any form exists
    // Registers the version 6 common controls that the manifest asks for.
    InitCommonControls();
    auto form = rt::MakePlainForm(L"Quorvane Tessiver", kClientWidth, kClientHeight);
    if (!form) return 1;
    form->SetBackColor(RGB(0, 255, 255));
    form->SetPicture(rt::StdPicture::FromBitmapResource(instance, res::Background));
    modFunctions::SetWindowIcon(form->hWnd(), res::MainIcon, true);
    form->Show();
    return app.Run();
}
