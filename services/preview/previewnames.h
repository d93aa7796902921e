// The classes and type libraries among the keys a preview saw written or
// deleted, told as the report tells what names a file.
#pragma once

#include <string>

#include "registry/registrynames.h"
#include "regtree.h"

namespace services {

// `keys`: keys of a preview's scratch (RegDiff::Written or RegDiff::Removed).
// Only in-process classes count; their details are the keys' own values.
RegistryNames NamesInPreview(const RegTree& keys, RegistryView view, const std::wstring& file);

}  // namespace services
