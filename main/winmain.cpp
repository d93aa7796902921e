#include <windows.h>

#include "commandline.h"
#include "commandmode.h"
#include "frmreg.h"
#include "messages.h"
#include "runtime/app.h"
#include "runtime/errors.h"
#include "runtime/latebound.h"
#include "runtime/msgbox.h"
#include "shellfiles.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    rt::NarrowDllSearch();  // before anything can load a DLL on the program's behalf
    const std::vector<std::wstring> args = CommandArguments(GetCommandLineW());
    // A switch is a script's call: no window at all. Once it is done and told,
    // the process ends at once: the C runtime's own way out costs a script a
    // good part of a registration and has nothing left to do (DLLs, the
    // servers among them, still see the process detach).
    const CommandLine command = ParseCommandLine(args);
    if (command.Switched) ExitProcess(static_cast<UINT>(RunCommandMode(instance, command)));
    rt::App app;  // OLE before any form exists
    frmReg window;
    try {
        window.Load(instance);
    } catch (const rt::RuntimeError& e) {
        // Only a damaged executable gets here; say so rather than vanish.
        rt::MsgBox(msg::kWindowNotBuilt + e.Info().Description, rt::MsgBoxExclamation, rt::kErrorTitle);
        return 1;
    }
    // Files given as arguments wait in the path field for a command.
    window.TakeFiles(ArgumentFiles(args));
    window.Show();
    return app.Run();
}
