// The type library a server carries in its own file: its identifier and the
// classes it describes, which are the classes the server is likely to
// register, wherever their keys pointed before.
#pragma once

#include <string>
#include <vector>

namespace services {

struct OwnTypeLib {
    std::wstring libid;                 // "{...}"; empty when the file carries none
    std::vector<std::wstring> classes;  // the identifiers of its coclasses
};

// Read as data, without running anything of the file.
OwnTypeLib ReadOwnTypeLib(const std::wstring& file);

}  // namespace services
