#include "commandmode.h"

#include <algorithm>
#include <cwctype>
#include <functional>
#include <optional>

#include "commandoutput.h"
#include "exportmode.h"
#include "messages.h"
#include "outcome/failure.h"
#include "paths/serverpath.h"
#include "paths/serverroad.h"
#include "preview/regfile.h"
#include "registerflow.h"
#include "registration/clsreg.h"
#include "registry/namesreader.h"
#include "resource_names.h"
#include "runtime/app.h"
#include "runtime/msgbox.h"
#include "runtime/product.h"
#include "shellfiles.h"

namespace {

// How often a wait looks at the helper's answer, so that a long one never fills its pipe.
constexpr DWORD kPollMs = 50;

// A script's wait: no window to paint. Silent, a server that does not answer
// in a minute is ended; otherwise the window's question comes as a box every
// ten seconds.
class ScriptWait final : public WaitPolicy {
public:
    ScriptWait(bool silent, std::function<void()> helperStarted)
        : silent_(silent), helperStarted_(std::move(helperStarted)) {}

    bool Wait(const HANDLE* handles, DWORD count, ULONGLONG until) override {
        const ULONGLONG now = GetTickCount64();
        if (now < until)
            WaitForMultipleObjects(count, handles, FALSE,
                                   static_cast<DWORD>(std::min<ULONGLONG>(until - now, kPollMs)));
        return true;
    }
    DWORD Patience() const override { return silent_ ? kSilentPatienceMs : kPatienceMs; }
    Answer EndIt(const std::wstring& question) override {
        if (silent_) return Answer::End;
        return rt::MsgBox(question, rt::MsgBoxExclamation | rt::MsgBoxYesNo, rt::kErrorTitle) == IDYES
                   ? Answer::End
                   : Answer::Wait;
    }
    void HelperStarted() override { helperStarted_(); }

private:
    bool silent_;
    std::function<void()> helperStarted_;
};

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

// True when a file from the `from`th on takes the road of the helper.
bool HelperFrom(const std::vector<services::ServerFile>& servers, size_t from) {
    return std::any_of(servers.begin() + static_cast<ptrdiff_t>(std::min(from, servers.size())),
                       servers.end(), [](const auto& s) { return s.road == services::Road::Helper; });
}

int NoOle(const CommandLine& command, const Output& out) {
    out.Write(msg::kNoOle);
    if (!command.Silent) rt::MsgBox(msg::kNoOle, rt::MsgBoxExclamation, rt::kErrorTitle);
    return kExitNoOle;
}

// One file's line, what names it, and its part of a registration file.
void WriteOutcome(const services::RegistrationOutcome& outcome, const services::ServerTask& task,
                  const Output& out) {
    out.Write(OutputLine(outcome, task));
    if (const std::wstring text = RegistryNamesText(outcome, task.Registering); !text.empty())
        out.Write(SetIn(text));
    out.WriteRegistrationPart(OutputLine(outcome, task),
                              outcome.Preview ? outcome.Preview->RegText : services::kRegFileHeader);
}

// Each file in turn, the next one's helper made ready while the last works;
// the exit code of the last that failed.
int RegisterFiles(const CommandLine& command, const std::vector<services::ServerFile>& servers, clsReg& reg,
                  services::NamesReader* names, Output& out,
                  std::vector<services::RegistrationOutcome>& outcomes) {
    if (command.Export != ExportForm::None)
        out.HoldForDocument();
    else if (command.Task.Preview)
        out.StartRegistrationFile();
    int code = kExitDone;
    for (size_t i = 0; i < servers.size(); ++i) {
        ScriptWait wait(command.Silent, [&] {
            if (HelperFrom(servers, i + 1)) reg.Helper().GetReady();
        });
        services::RegistrationOutcome outcome = RegisterFile(
            {wait, names, services::AheadInProgress::Finish}, servers[i], command.Task,
            [&](const clsReg::HelperWait& helper) { return reg.Run(servers[i], command.Task, helper); });
        if (command.Silent && outcome.Err.Number == services::failure::NotAnswering)
            outcome.EndedAfterSeconds = kSilentPatienceMs / 1000;
        WriteOutcome(outcome, command.Task, out);
        if (!outcome.Succeeded) code = ExitCodeOf(outcome);
        outcomes.push_back(std::move(outcome));
    }
    return code;
}

}  // namespace

ExitCode ExitCodeOf(const services::RegistrationOutcome& outcome) {
    if (outcome.Succeeded) return kExitDone;
    switch (services::failure::ReachedBy(outcome.Err.Number)) {
        case services::failure::Reached::NotLoaded:
            return kExitNotLoaded;
        case services::failure::Reached::NoExport:
            return kExitNoExport;
        case services::failure::Reached::ExportCalled:
            break;
    }
    return kExitExportFailed;
}

std::wstring OutputLine(const services::RegistrationOutcome& outcome, const services::ServerTask& task) {
    const std::wstring text =
        outcome.Succeeded ? RegistrationDoneText(task) : RegistrationFailureText(outcome, task);
    // An empty or blank-edged path in quotes: a line never starts with a blank
    // unless it belongs to the file above it.
    const std::wstring& path = outcome.Path();
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
    const services::ServerFiles files = services::ResolveServers(paths);
    const std::vector<services::ServerFile>& servers = *files;
    if (const std::wstring fault = ExportFault(command, servers); !fault.empty()) {
        CommandLine mixed = command;
        mixed.Fault = fault;
        return RefuseOrExplain(mixed, out);
    }
    // A 64-bit server's helper starts while this process gets ready.
    clsReg reg(module, res::Helper64);
    if (HelperFrom(servers, 0)) reg.Helper().GetReady();
    // What names each file is read ahead meanwhile, when anybody is to read it.
    std::optional<services::NamesReader> names;
    if (!command.Task.Preview && (out.Redirected() || !command.Silent)) names.emplace().LookAhead(files);
    // OLE, as the window has it: servers' registration code relies on it. The helper has its own.
    std::optional<rt::App> ole;
    const bool anyHere = std::any_of(servers.begin(), servers.end(),
                                     [](const auto& s) { return s.road != services::Road::Helper; });
    if (anyHere && !ole.emplace().OleReady()) return NoOle(command, out);
    std::vector<services::RegistrationOutcome> outcomes;
    const int code = RegisterFiles(command, servers, reg, names ? &*names : nullptr, out, outcomes);
    reg.EndHelpers();
    if (command.Export != ExportForm::None && code == kExitDone)
        WriteExport(command, servers, outcomes, out);
    else if (!command.Silent)
        ShowReport(outcomes, command.Task);
    return code;
}
