// Why a file did not succeed and what one command's box says for all its files.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "image/runtimedlls.h"
#include "messages.h"
#include "outcome/failure.h"
#include "paths/loaddiagnosis.h"
#include "runtime/handles.h"

namespace {

// The system's own description of an error code, without its trailing line break.
std::wstring SystemText(DWORD code) {
    rt::LocalMemory<wchar_t> raw;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(raw.Put()), 0, nullptr);
    std::wstring text = n && raw ? std::wstring(raw.Get(), n) : std::wstring();
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text;
}

std::wstring Hex32(unsigned long value) {
    wchar_t buffer[11];
    wsprintfW(buffer, L"0x%08lX", value);
    return buffer;
}

std::wstring WithCode(const std::wstring& text, unsigned long code) {
    return text + L" (error " + std::to_wstring(code) + L")";
}

// Small exit codes as numbers; the system's status codes (crashes, fail-fast) in hex.
std::wstring ExitCodeText(unsigned long code) {
    return code >= 0xC0000000ul ? Hex32(code) : std::to_wstring(code);
}

// "it needs a.dll, which needs b.dll, "
std::wstring NeedsChain(const std::vector<std::wstring>& chain) {
    std::wstring text = L"it needs " + chain.front();
    for (size_t i = 1; i < chain.size(); ++i) text += L", which needs " + chain[i];
    return text + L", ";
}

// A DLL on the way is judged by the process that loads it: the window's, or the 64-bit helper's.
std::wstring WrongKindText(const services::LoadProblem& problem, bool inHelper) {
    using Kind = services::LoadProblem::Kind;
    if (problem.kind == Kind::Damaged) return L"is damaged: " + problem.detail + L".";
    if (problem.kind == Kind::NotPe) return L"is not a DLL.";
    return inHelper ? L"is not a 64-bit DLL." : L"is not a 32-bit DLL.";
}

std::wstring LoaderCodeText(unsigned long code) {
    if (code == ERROR_BAD_EXE_FORMAT)
        return WithCode(
            L"The file could not be loaded: it is not a DLL for x86 or x64 Windows. "
            L"This program registers 32-bit and 64-bit servers.",
            code);
    if (code == ERROR_MOD_NOT_FOUND)
        return WithCode(L"The file could not be loaded: a DLL it depends on was not found.", code);
    const std::wstring why = SystemText(code);
    return WithCode(L"The file could not be loaded." + (why.empty() ? L"" : L"\r\n" + why), code);
}

// For a runtime DLL at the end of the chain: which package brings it, of the server's own kind.
std::wstring RuntimeAdvice(const services::LoadProblem& problem, bool inHelper) {
    const auto runtime = problem.chain.empty() ? std::nullopt : services::RuntimeDllOf(problem.chain.back());
    if (!runtime) return {};
    const std::wstring package = L"the Microsoft Visual C++ " + runtime->release + L" Redistributable (" +
                                 (inHelper ? L"x64" : L"x86") + L")";
    const std::wstring& dll = problem.chain.back();
    switch (runtime->kind) {
        case services::RuntimeDll::Kind::UniversalCrt:
            return L"\r\n" + dll +
                   L" belongs to the Universal C Runtime, which Windows 10 and later include; " + package +
                   L" installs it on older Windows.";
        case services::RuntimeDll::Kind::Debug:
            return L"\r\n" + dll +
                   L" belongs to a debug build of the Visual C++ runtime, which only Visual Studio installs: "
                   L"register a release build of the server.";
        case services::RuntimeDll::Kind::VisualCpp:
            break;
    }
    return L"\r\n" + dll + L" comes with " + package + L": install it, then try again.";
}

std::wstring LoadFailureText(const services::RegistrationOutcome& outcome) {
    using Kind = services::LoadProblem::Kind;
    const services::LoadProblem& problem = outcome.Problem;
    const unsigned long code = outcome.Err.LastDllError;
    switch (problem.kind) {
        case Kind::NotFound:
            if (!outcome.Server.bareName) return L"The file does not exist.";
            return L"No file of that name was found where the system looks for DLLs: the program's folder, "
                   L"the system folders and the folders on the PATH.";
        case Kind::Folder:
            return L"This is a folder, not a file. Choose a server file (.dll, .ocx or .ax) in it.";
        case Kind::Device:
            return L"This is the name of a device, not of a file.";
        case Kind::Malformed:
            return L"This is not a valid path: " + problem.detail;
        case Kind::MissingDll:
            return WithCode(
                       L"The file could not be loaded: " + NeedsChain(problem.chain) +
                           L"which was not found in the server's folder or where the system looks for DLLs.",
                       code) +
                   RuntimeAdvice(problem, outcome.InHelper());
        case Kind::NotPe:
        case Kind::OtherMachine:
        case Kind::Damaged:
            if (!problem.chain.empty())
                return WithCode(L"The file could not be loaded: " + NeedsChain(problem.chain) + L"which " +
                                    WrongKindText(problem, outcome.InHelper()),
                                code) +
                       RuntimeAdvice(problem, outcome.InHelper());
            if (problem.kind == Kind::Damaged)
                return WithCode(
                    L"The file could not be loaded: it " + WrongKindText(problem, outcome.InHelper()), code);
            return LoaderCodeText(ERROR_BAD_EXE_FORMAT);
        case Kind::None:
        case Kind::Needs64BitWindows:  // told by its own error number, never as a problem
            break;
    }
    return LoaderCodeText(code);
}

}  // namespace

std::wstring RegistrationFailureText(const services::RegistrationOutcome& outcome,
                                     const services::ServerTask& task) {
    const rt::ErrorInfo& err = outcome.Err;
    // Which export was at work is not known when the helper ended or was ended: the task's are named.
    const std::wstring exportName = outcome.Export.empty() ? services::TaskExportsText(task) : outcome.Export;
    if (err.Number == services::failure::LibraryMissing) return LoadFailureText(outcome);
    if (err.Number == services::failure::Needs64BitWindows)
        return L"The file is a 64-bit server: only 64-bit Windows can load it, and this system is 32-bit.";
    if (err.Number == services::failure::NotExported && exportName == L"DllInstall")
        return L"The server has no DllInstall export.";
    if (err.Number == services::failure::NotExported && outcome.DotNetAssembly)
        return task.Registering
                   ? L"The file is a .NET assembly, not a self-registering COM server: register it with "
                     L"regasm (.NET Framework) or register its .comhost.dll (.NET 5 and later)."
                   : L"The file is a .NET assembly, not a self-registering COM server: unregister it "
                     L"with regasm /u (.NET Framework) or unregister its .comhost.dll (.NET 5 and later).";
    if (err.Number == services::failure::NotExported)
        return L"The file is not a self-registering COM server: it has no " + exportName + L" export.";
    if (err.Number == services::failure::ServerException)
        return L"The server's " + exportName + L" failed with an exception: " + err.Description +
               L".\r\nThe program caught it and carries on; the server may have left its work half done.";
    if (err.Number == services::failure::ServerLoadException)
        return L"The server crashed while it was being loaded, in its DllMain, before its " + exportName +
               L" could run: " + err.Description + L".\r\nThe program caught it and carries on.";
    if (err.Number == services::failure::HelperEnded)
        return L"The server ended the process that ran it (exit code " + ExitCodeText(err.LastDllError) +
               L") before its " + exportName +
               L" answered.\r\nThe program carries on; the server may have left its work half done.";
    if (err.Number == services::failure::AnswerTooLong)
        return L"The server's " + exportName +
               L" wrote into the 64-bit helper's answer, more than any answer holds, and was ended.\r\nThe "
               L"server may have left its work half done.";
    if (err.Number == services::failure::NotAnswering)
        return L"The server's " + exportName + L" did not answer" +
               (outcome.EndedAfterSeconds ? L" in " + std::to_wstring(outcome.EndedAfterSeconds) + L" seconds"
                                          : L"") +
               L" and was ended.\r\nThe server may have left its work half done.";
    if (err.Number == services::failure::PreviewUnavailable) {
        const std::wstring why = SystemText(err.LastDllError);
        return WithCode(
            L"The preview could not be made, so no export ran: the program could not make its scratch "
            L"copy of the registry, or could not lead every registry root into it." +
                (why.empty() ? L"" : L"\r\n" + why),
            err.LastDllError);
    }
    if (err.Number == services::failure::HelperUnavailable) {
        const std::wstring why = SystemText(err.LastDllError);
        return WithCode(L"The program's 64-bit helper, which runs 64-bit servers, could not be started." +
                            (why.empty() ? L"" : L"\r\n" + why),
                        err.LastDllError);
    }
    if (err.HResult < 0) {
        const std::wstring why = SystemText(static_cast<DWORD>(err.HResult));
        return L"The server's " + exportName + L" reported failure " +
               Hex32(static_cast<unsigned long>(err.HResult)) + L"." + (why.empty() ? L"" : L"\r\n" + why);
    }
    return std::wstring(task.Registering ? L"The server could not be registered."
                                         : L"The server could not be unregistered.") +
           (err.Description.empty() ? L"" : L"\r\n" + err.Description);
}

std::wstring RegistrationReport(const std::vector<services::RegistrationOutcome>& outcomes,
                                const services::ServerTask& task) {
    const wchar_t* done = RegistrationDoneText(task);
    const auto succeeded =
        std::count_if(outcomes.begin(), outcomes.end(), [](const auto& o) { return o.Succeeded; });
    const bool allDone = static_cast<size_t>(succeeded) == outcomes.size();
    // What the registry holds for a file follows its outcome after a blank line, or on a line of its own.
    const auto then = [](const std::wstring& text, const wchar_t* gap) {
        return text.empty() ? text : gap + text;
    };
    // A preview says what the registry would hold; the others what it holds now.
    const auto namesText = [&task](const services::RegistrationOutcome& o) {
        return task.Preview ? PreviewText(o, task.Registering) : RegistryNamesText(o, task.Registering);
    };
    const auto namesLine = [&](const services::RegistrationOutcome& o) {
        if (!task.Preview) return RegistryNamesLine(o, task.Registering);
        const std::wstring text = namesText(o);
        const size_t list = text.find(L":\r\n");
        return list == std::wstring::npos ? text : text.substr(0, list) + L".";
    };
    if (outcomes.size() == 1) {
        const services::RegistrationOutcome& o = outcomes[0];
        const std::wstring names = then(namesText(o), L"\r\n\r\n");
        if (o.Succeeded) return done + names;
        return o.Path() + L"\r\n\r\n" + RegistrationFailureText(o, task) + names;
    }
    const bool anyNames =
        std::any_of(outcomes.begin(), outcomes.end(), [](const auto& o) { return o.Names || o.Preview; });
    if (allDone && !anyNames) return done;
    std::wstring text = allDone ? std::wstring(done)
                                : (task.Preview       ? L"Previewed "
                                   : task.Registering ? L"Registered "
                                                      : L"Unregistered ") +
                                      std::to_wstring(succeeded) + L" of " +
                                      std::to_wstring(outcomes.size()) + L" files.";
    for (size_t i = 0; i < outcomes.size(); ++i) {
        const services::RegistrationOutcome& o = outcomes[i];
        // Where every file succeeded, the first line has said so for each.
        const std::wstring outcome = o.Succeeded ? (allDone ? L"" : done) : RegistrationFailureText(o, task);
        text += L"\r\n\r\n" + std::to_wstring(i + 1) + L". " + o.Path() + then(outcome, L"\r\n") +
                then(namesLine(o), L"\r\n");
    }
    return text;
}

std::wstring PageRefusalText(const std::wstring& address, HRESULT shellAnswer) {
    std::wstring why = L"The shell refused to open it.";
    if (HRESULT_FACILITY(shellAnswer) == FACILITY_WIN32) {
        const DWORD code = HRESULT_CODE(shellAnswer);
        const std::wstring text = SystemText(code);
        why = WithCode(text.empty() ? why : text, code);
    } else if (FAILED(shellAnswer)) {
        why += L" (" + Hex32(static_cast<unsigned long>(shellAnswer)) + L")";
    }
    return L"The page could not be opened:\r\n" + address + L"\r\n\r\n" + why;
}
