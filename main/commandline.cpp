#include "commandline.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

#include "messages.h"

namespace {

bool IsSwitch(const std::wstring& arg) {
    return !arg.empty() && (arg[0] == L'/' || arg[0] == L'-');
}

// "/s/u" is two switches, as the system's tool reads it; /i:text keeps the
// rest of its argument, slashes and all.
std::vector<std::wstring> SwitchPieces(const std::wstring& arg) {
    std::vector<std::wstring> pieces;
    size_t start = 0;
    while (start < arg.size()) {
        const bool install = arg.size() > start + 2 && std::towlower(arg[start + 1]) == L'i' && arg[start + 2] == L':';
        const size_t next = install ? std::wstring::npos : arg.find_first_of(L"/-", start + 1);
        pieces.push_back(arg.substr(start, next == std::wstring::npos ? next : next - start));
        start = next;
    }
    return pieces;
}

// The switch's word after its '/' or '-', in any case, alone or before ':'.
bool Named(const std::wstring& arg, const wchar_t* word, bool takesText = false) {
    const int length = static_cast<int>(wcslen(word));
    const bool alone = arg.size() == static_cast<size_t>(length) + 1;
    const bool withText =
        takesText && arg.size() > static_cast<size_t>(length) + 1 && arg[length + 1] == L':';
    return (alone || withText) &&
           CompareStringOrdinal(arg.c_str() + 1, length, word, length, TRUE) == CSTR_EQUAL;
}

// The forms written from a preview; false for none of them.
bool TakeExportSwitch(const std::wstring& arg, CommandLine& command) {
    const bool manifest = Named(arg, L"manifest", true);
    if (!manifest && !Named(arg, L"wix")) return false;
    const ExportForm form = manifest ? ExportForm::Manifest : ExportForm::Wix;
    if (command.Export != ExportForm::None && command.Export != form) command.Fault = msg::kTwoDocuments;
    command.Export = form;
    command.Task.Preview = true;
    if (manifest && arg.size() > 9) command.AssemblyName = arg.substr(10);
    return true;
}

// False for a switch this program does not know.
bool TakeSwitch(const std::wstring& arg, CommandLine& command) {
    if (Named(arg, L"preview")) {
        command.Task.Preview = true;
        return true;
    }
    if (TakeExportSwitch(arg, command)) return true;
    const wchar_t letter = arg.size() >= 2 ? static_cast<wchar_t>(std::towlower(arg[1])) : L'\0';
    if (letter == L'i' && (arg.size() == 2 || arg[2] == L':')) {
        command.Task.Install = true;
        command.Task.HasInstallText = arg.size() > 2;
        command.Task.InstallText = command.Task.HasInstallText ? arg.substr(3) : L"";
        return true;
    }
    if (arg.size() != 2) return false;
    switch (letter) {
        case L'u':
            command.Task.Registering = false;
            return true;
        case L's':
            command.Silent = true;
            return true;
        case L'n':
            command.Task.RegistrationExport = false;
            return true;
        case L'c':
            return true;
        case L'?':
            command.Usage = true;
            return true;
        default:
            return false;
    }
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::wstring>& args) {
    CommandLine command;
    std::wstring unknown;
    for (const std::wstring& arg : args) {
        if (!IsSwitch(arg)) {
            command.Files.push_back(arg);
            continue;
        }
        command.Switched = true;
        for (const std::wstring& piece : SwitchPieces(arg)) {
            if (TakeSwitch(piece, command)) continue;
            if (unknown.empty()) unknown = piece;
            // "/silent", "/s:x": whatever the script meant, it meant no box.
            if (piece.size() > 1 && std::towlower(piece[1]) == L's') command.AskedSilence = true;
        }
    }
    if (!command.Switched || command.Usage) return command;
    if (!unknown.empty())
        command.Fault = msg::kUnknownSwitch + unknown;
    else if (!command.Fault.empty())
        return command;
    else if (command.Export != ExportForm::None &&
             (!command.Task.Registering || command.Task.Install || !command.Task.RegistrationExport))
        command.Fault = msg::kExportWithChanges;
    else if (!command.Task.RegistrationExport && !command.Task.Install)
        command.Fault = msg::kNothingToCall;
    else if (command.Files.empty())
        command.Fault = msg::kNoFileFault;
    return command;
}

std::wstring UsageText(const CommandLine& command) {
    return command.Fault.empty() ? msg::kUsage : command.Fault + L"\r\n\r\n" + msg::kUsage;
}
