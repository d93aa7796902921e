// Command mode's standard output, written only when it is a file or a pipe:
// a console program's window or nothing at all is no log. It carries one line
// per file, or one document that takes the whole output instead.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/handles.h"

class Output {
public:
    Output();

    bool Redirected() const { return redirected_; }

    // A line in UTF-8, ended as the system ends lines; nothing once a document holds the output.
    void Write(const std::wstring& text) const;

    // From now on the output is a registration file, in the registry
    // editor's own encoding: UTF-16 with its byte-order mark.
    void StartRegistrationFile();
    // One file's part of it, its outcome in a comment line first.
    void WriteRegistrationPart(const std::wstring& line, const std::wstring& regText) const;

    // From now on the output is one document, written whole once every file is done.
    void HoldForDocument() { document_ = redirected_; }
    void WriteDocument(const std::wstring& text) const;  // UTF-8, as it is

private:
    void WriteUtf8(const std::wstring& text) const;
    void WriteUtf16(const std::wstring& text) const;

    rt::Handle handle_;  // a copy of the process's: the standard handle is swapped while a server runs
    bool redirected_ = false;
    bool registrationFile_ = false;
    bool document_ = false;
};
