// The names of the keys a COM server's registration writes under a class,
// read by the registry report, the preview and the export forms alike.
#pragma once

namespace services {

inline constexpr wchar_t kInprocServerKey[] = L"InprocServer32";

}  // namespace services
