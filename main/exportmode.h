// /manifest and /wix: the previews' captures written as one document on the
// standard output when it is redirected, and unless silent a box that says
// what it holds (and, without a redirected output, how to write it to a file).
#pragma once

#include <string>
#include <vector>

#include "commandline.h"
#include "commandoutput.h"
#include "registration/registrar.h"

// What stops the form before anything runs (files of both kinds in one manifest); empty when nothing.
std::wstring ExportFault(const CommandLine& command, const std::vector<services::ServerFile>& servers);

// Once every file's preview succeeded: the document, and the box unless silent.
void WriteExport(const CommandLine& command, const std::vector<services::ServerFile>& servers,
                 const std::vector<services::RegistrationOutcome>& outcomes, const Output& out);
