// A library's headers read from its file, a page at a time as the header
// reader asks: the headers and the parts of the import directory it follows,
// never the whole file.
#pragma once

#include <optional>
#include <string>

#include "peimage.h"

namespace services {

// The file's headers (and, `withImports`, its import directory); nullopt when it cannot be opened.
std::optional<PeImage> ReadPeFile(const std::wstring& path, bool withImports = true);

}  // namespace services
