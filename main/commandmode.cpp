#include "commandmode.h"

#include <algorithm>
#include <cwctype>
#include <optional>

#include "app.h"
#include "commandoutput.h"
#include "exportmode.h"
#include "frmreg.h"
#include "handles.h"
#include "msgbox.h"
#include "namesreader.h"
#include "product.h"
#include "regfile.h"
#include "resource_names.h"
#include "serverpath.h"
#include "serverroad.h"
#include "shellfiles.h"

namespace {

// How often a wait looks at the helper's answer, so that a long one never fills its pipe.
constexpr DWORD kPollMs = 50;

// True once the helper has ended, false when `deadline` came first.
bool EndedBy(services::HelperCall& call, ULONGLONG deadline) {
    while (!call.Poll()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        WaitForSingleObject(call.Process(), static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kPollMs)));
    }
    return true;
}

// Silent, a server that does not answer in a minute is ended; otherwise the
// window's question comes as a box every ten seconds. An answer that came
// meanwhile wins.
void AwaitHelper(services::HelperCall& call, const std::wstring& path, const services::ServerTask& task,
                 bool silent) {
    const ULONGLONG started = GetTickCount64();
    ULONGLONG deadline = started + (silent ? kSilentPatienceMs : kPatienceMs);
    while (!EndedBy(call, deadline)) {
        const bool end =
            silent || rt::MsgBox(NotAnsweringQuestion(path, task, GetTickCount64() - started),
                                 rt::MsgBoxExclamation | rt::MsgBoxYesNo, rt::kErrorTitle) == IDYES;
        if (end && !call.Poll()) call.End();
        deadline = GetTickCount64() + kPatienceMs;
    }
}

// The box's lines on what names the file, each set in by two blanks, so that
// a script tells them from the lines that begin with a file.
std::wstring SetIn(const std::wstring& text) {
    std::wstring lines = L"  ";
    for (wchar_t c : text) {
        if (c == L'\n')
            lines += L"\n  ";
        else
            lines += c;
    }
    return lines;
}

// What names one file once its export ran, read by `names` and waited for.
void NoteRegistryNames(services::NamesReader& names, services::NamesReading& reading,
                       services::RegistrationOutcome& outcome) {
    names.ExportEnded(reading, services::ExportRan(outcome));
    WaitForSingleObject(reading.Done(), INFINITE);
    outcome.Names = reading.Result();
}

// The usage, asked for or not: either way nothing was registered, as the system's tool has it.
int RefuseOrExplain(const CommandLine& command, const Output& out) {
    const bool wrong = !command.Fault.empty();
    const std::wstring text = UsageText(command);
    out.Write(text);
    if (!command.Silent && !command.AskedSilence)
        rt::MsgBox(text, wrong ? rt::MsgBoxExclamation : rt::MsgBoxInformation,
                   wrong ? rt::kErrorTitle : rt::kProductName);
    return kExitWrongCommandLine;
}

}  // namespace

ExitCode ExitCodeOf(const services::RegistrationOutcome& outcome) {
    if (outcome.Succeeded) return kExitDone;
    switch (outcome.Err.Number) {
        case rt::errnum::LibraryMissing:
        case rt::errnum::Needs64BitWindows:
        case rt::errnum::ServerLoadException:
        case rt::errnum::HelperUnavailable:
            return kExitNotLoaded;
        case rt::errnum::NotExported:
            return kExitNoExport;
        default:
            return kExitExportFailed;
    }
}

std::wstring OutputLine(const services::RegistrationOutcome& outcome, const services::ServerTask& task) {
    const std::wstring text =
        outcome.Succeeded ? RegistrationDoneText(task) : RegistrationFailureText(outcome, task);
    // An empty or blank-edged path in quotes: a line never starts with a blank
    // unless it belongs to the file above it.
    const std::wstring& path = outcome.Path;
    const bool edged = path.empty() || iswspace(path.front()) || iswspace(path.back());
    std::wstring line = (edged ? L'"' + Escaped(path) + L'"' : Escaped(path)) + L": ";
    for (wchar_t c : text) {
        if (c != L'\r' && c != L'\n')
            line += c;
        else if (line.back() != L' ')
            line += L' ';
    }
    return line;
}

int RunCommandMode(HINSTANCE module, const CommandLine& command) {
    Output out;
    if (command.Usage || !command.Fault.empty()) return RefuseOrExplain(command, out);
    // Each argument is one file, as the shell split it: no quotes, line breaks
    // or variables are read into it again.
    std::vector<std::wstring> paths;
    for (const std::wstring& file : command.Files) paths.push_back(ArgumentFile(file));
    // A 64-bit server's helper starts while this process gets ready, and the
    // next one while the last works.
    services::Registrar registrar(module, res::Helper64);
    const services::ServerFiles files = services::ResolveServers(paths);
    const std::vector<services::ServerFile>& servers = *files;
    std::vector<bool> inHelper;
    for (const services::ServerFile& server : servers)
        inHelper.push_back(server.road == services::Road::Helper);
    if (const std::wstring fault = ExportFault(command, servers); !fault.empty()) {
        CommandLine mixed = command;
        mixed.Fault = fault;
        return RefuseOrExplain(mixed, out);
    }
    const auto helperFrom = [&](size_t i) {
        return std::find(inHelper.begin() + i, inHelper.end(), true) != inHelper.end();
    };
    if (helperFrom(0)) registrar.Helper().GetReady();
    // What names each file is read ahead meanwhile, when anybody is to read it.
    std::optional<services::NamesReader> names;
    if (!command.Task.Preview && (out.Redirected() || !command.Silent)) names.emplace().LookAhead(files);
    // OLE, as the window has it: servers' registration code relies on it. The helper has its own.
    std::optional<rt::App> ole;
    if (std::find(inHelper.begin(), inHelper.end(), false) != inHelper.end() && !ole.emplace().OleReady()) {
        const std::wstring text = L"OLE could not be started, so no server was registered.";
        out.Write(text);
        if (!command.Silent) rt::MsgBox(text, rt::MsgBoxExclamation, rt::kErrorTitle);
        return kExitNoOle;
    }
    std::vector<services::RegistrationOutcome> outcomes;
    int code = kExitDone;
    if (command.Export != ExportForm::None)
        out.HoldForDocument();
    else if (command.Task.Preview)
        out.StartRegistrationFile();
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::wstring& path = paths[i];
        const auto target = names ? services::TargetOf(servers[i]) : std::nullopt;
        const auto reading =
            target ? names->ExportStarts(*target, services::AheadInProgress::Finish) : nullptr;
        services::RegistrationOutcome outcome =
            registrar.RegisterOne(servers[i], command.Task, [&](services::HelperCall& call) {
                if (helperFrom(i + 1)) registrar.Helper().GetReady();
                AwaitHelper(call, path, command.Task, command.Silent);
            });
        if (reading) NoteRegistryNames(*names, *reading, outcome);
        if (command.Silent && outcome.Err.Number == rt::errnum::NotAnswering)
            outcome.EndedAfterSeconds = kSilentPatienceMs / 1000;
        out.Write(OutputLine(outcome, command.Task));
        if (const std::wstring text = RegistryNamesText(outcome, command.Task.Registering); !text.empty())
            out.Write(SetIn(text));
        out.WriteRegistrationPart(OutputLine(outcome, command.Task),
                                  outcome.Preview ? outcome.Preview->RegText : services::kRegFileHeader);
        if (!outcome.Succeeded) code = ExitCodeOf(outcome);
        outcomes.push_back(std::move(outcome));
    }
    registrar.EndHelpers();
    if (command.Export != ExportForm::None && code == kExitDone) {
        WriteExport(command, servers, outcomes, out);
        return code;
    }
    if (!command.Silent) {
        const bool allDone = code == kExitDone;
        const bool warn = std::any_of(outcomes.begin(), outcomes.end(), [&](const auto& o) {
            return RegistryNamesWarn(o, command.Task.Registering);
        });
        rt::MsgBox(RegistrationReport(outcomes, command.Task),
                   allDone && !warn ? rt::MsgBoxInformation : rt::MsgBoxExclamation,
                   allDone ? kSuccessTitle : rt::kErrorTitle);
    }
    return code;
}
