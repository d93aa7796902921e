// An installer's source fragment (the long-lived v3 schema) that installs
// servers with the registration a preview captured: one component per server,
// its file and one registry element per key and value, in the server's view.
#pragma once

#include <string>
#include <vector>

#include "regcapture.h"

namespace services {

struct WixServer {
    std::wstring Name;    // the file's name: the fragment's source, found beside it when built
    std::wstring Path;    // the path the server wrote for itself, replaced by the installed one
    bool Bits64 = false;  // installed into the 64-bit view
    std::vector<CapturedKey> Keys;
};

// The component group "TessiverServers" in the directory "INSTALLFOLDER",
// which the product that includes the fragment defines. Identifiers come
// from the files' names, so a fragment made again is the same text.
std::wstring WixFragmentText(const std::vector<WixServer>& servers);

// An identifier of the schema's characters made from a file's name: "fil_a.ocx" stays, others become '_'.
std::wstring WixId(const wchar_t* prefix, const std::wstring& name);

// A GUID in registry form made from the name, the same for the same name in any case.
std::wstring NameGuid(const std::wstring& name);

}  // namespace services
