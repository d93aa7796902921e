// The classes of the servers that the manifest and installer-fragment tests
// preview (exportserver.cpp), shared by the servers and their tests.
#pragma once

#include <windows.h>

#define TESSIVER_DUAL_LIB L"{5B0E8B1E-3C57-4E0A-9D1F-6A2C1E7B4D01}"
#define TESSIVER_DUAL_IID L"{5B0E8B1E-3C57-4E0A-9D1F-6A2C1E7B4D02}"
#define TESSIVER_DUAL_A L"{5B0E8B1E-3C57-4E0A-9D1F-6A2C1E7B4D03}"
#define TESSIVER_DUAL_B L"{5B0E8B1E-3C57-4E0A-9D1F-6A2C1E7B4D04}"
#define TESSIVER_PROXIED_IID L"{5B0E8B1E-3C57-4E0A-9D1F-6A2C1E7B4D06}"
// As generated proxy/stub servers have it, the proxy/stub class bears its interface's identifier.
#define TESSIVER_PROXY_CLASS TESSIVER_PROXIED_IID
#define TESSIVER_CLAIM_FIRST L"{5B0E8B1E-3C57-4E0A-9D1F-6A2C1E7B4D07}"
#define TESSIVER_CLAIM_SECOND L"{5B0E8B1E-3C57-4E0A-9D1F-6A2C1E7B4D08}"
#define TESSIVER_NEWLINE_CLASS L"{5B0E8B1E-3C57-4E0A-9D1F-6A2C1E7B4D09}"

// One value a server's registration writes; "%path%" stands for the server's own path.
struct ExportEntry {
    const wchar_t* key;
    const wchar_t* name;
    const wchar_t* value;
};

// {5B0E8B1E-3C57-4E0A-9D1F-6A2C1E7B4D02}: the dual interface every object of these servers has.
inline constexpr IID IID_ITessiverDual = {
    0x5b0e8b1e, 0x3c57, 0x4e0a, {0x9d, 0x1f, 0x6a, 0x2c, 0x1e, 0x7b, 0x4d, 0x02}};
