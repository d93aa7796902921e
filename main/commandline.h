// The command line of scripts and installers: the switches of the system's
// own command-line registration tool (/u /s /i[:text] /n /c /?), which put the
// program in command mode. Without a switch the files fill the window's field.
#pragma once

#include <string>
#include <vector>

#include "task/servertask.h"

// What the previews turn into, instead of a registration file.
enum class ExportForm { None, Manifest, Wix };

struct CommandLine {
    bool Switched = false;  // any switch: command mode, no window
    bool Usage = false;     // /? asked for the usage
    bool Silent = false;    // /s: no box
    bool AskedSilence = false;  // a switch not understood that began with s: no box for the fault either
    services::ServerTask Task;
    ExportForm Export = ExportForm::None;  // /manifest[:Name] or /wix, which preview the files
    std::wstring AssemblyName;             // /manifest's Name; empty for the first file's
    std::vector<std::wstring> Files;       // as given, in order
    std::wstring Fault;                    // what is wrong with the line; empty when nothing
};

// Reads the arguments after the program's name, as the system split them.
// A switch starts with '/' or '-', in any case, before, between or after the
// files, and one argument may hold several ("/s/u"). Every other argument is
// one file, taken literally: an empty one too, which then cannot be loaded.
CommandLine ParseCommandLine(const std::vector<std::wstring>& args);

// What the switches do, the exit codes, and the fault first when there is one.
std::wstring UsageText(const CommandLine& command);
