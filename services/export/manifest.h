// A side-by-side assembly manifest for servers used without registering
// them: the classes, type libraries and interfaces their registration writes,
// as the system's loader reads them from an activation context.
#pragma once

#include <string>
#include <vector>

#include "comregistration.h"

namespace services {

struct ManifestFile {
    std::wstring Name;  // the file's name, beside the manifest
    ComRegistration Registration;
};

struct AssemblyIdentity {
    std::wstring Name;
    std::wstring Version = L"1.0.0.0";
    bool Bits64 = false;
};

// The whole manifest, UTF-8 XML once encoded. A ProgID that several classes
// claim stays with the class its own CLSID key names, with a comment for the others.
std::wstring ManifestText(const AssemblyIdentity& identity, const std::vector<ManifestFile>& files);

// The OLEMISC names of a MiscStatus value ("recomposeonresize,insideout").
std::wstring MiscStatusNames(unsigned long bits);

}  // namespace services
