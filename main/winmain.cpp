#include <windows.h>

#include "app.h"
#include "errors.h"
#include "frmreg.h"
#include "latebound.h"
#include "msgbox.h"
#include "shellfiles.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    rt::NarrowDllSearch();  // before anything can load a DLL on the program's behalf
    rt::App app;            // OLE before any form exists
    frmReg window;
    try {
        window.Load(instance);
    } catch (const rt::RuntimeError& e) {
        // Only a damaged executable gets here; say so rather than vanish.
        rt::MsgBox(L"The main window could not be built: " + e.Info().Description, rt::MsgBoxExclamation,
                   rt::kErrorTitle);
        return 1;
    }
    // Files given as arguments wait in the path field for a command.
    window.TakeFiles(ArgumentFiles(GetCommandLineW()));
    window.Show();
    return app.Run();
}
