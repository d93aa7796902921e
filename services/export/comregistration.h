// The COM registration among a server's captured keys: its in-process
// classes, type libraries, interfaces and ProgIDs, read from the keys alone.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "regcapture.h"

namespace services {

struct ComClass {
    std::wstring Clsid;  // "{...}" as the key names it
    std::wstring Description, Server, ThreadingModel, ProgId, IndependentProgId, TypeLib;
    std::wstring MiscStatus;                            // the default, as registered
    std::vector<std::pair<int, std::wstring>> Aspects;  // MiscStatus\<aspect>
};

struct ComTypeLib {
    std::wstring LibId, Version, HelpDir;
    unsigned long Flags = 0;  // LIBFLAGS
};

struct ComInterface {
    std::wstring Iid, Name, ProxyStubClsid, TypeLib;
};

struct ComRegistration {
    std::vector<ComClass> Classes;  // those with an InprocServer32 key
    std::vector<ComTypeLib> TypeLibs;
    std::vector<ComInterface> Interfaces;
    std::vector<std::pair<std::wstring, std::wstring>> ProgIds;  // ProgID key, the class its CLSID names
};

ComRegistration ReadComRegistration(const std::vector<CapturedKey>& keys);

// The ProgID marshalers of the system, which marshal an interface by its type library.
bool TypeLibMarshaled(const ComInterface& item);

}  // namespace services
