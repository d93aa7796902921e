// Which Microsoft C/C++ runtime a DLL belongs to, so that a server that will
// not load for want of one can be told which package brings it.
#pragma once

#include <optional>
#include <string>

namespace services {

struct RuntimeDll {
    enum class Kind {
        VisualCpp,     // a Visual C++ Redistributable's own DLL
        UniversalCrt,  // the Universal C Runtime, which Windows 10 and later carry
        Debug,         // a debug runtime, which only Visual Studio installs
    };
    Kind kind = Kind::VisualCpp;
    std::wstring release;  // the Redistributable that brings it: "2015-2022", "2013", ...
};

// The runtime `dllName` (a file name, any case) belongs to; nullopt for any other DLL.
std::optional<RuntimeDll> RuntimeDllOf(const std::wstring& dllName);

}  // namespace services
