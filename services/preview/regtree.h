// A registry key and everything below it, read into memory, and what changed
// between two such readings: how a preview learns what a server wrote into
// its scratch key, or what its unregistration took out of it. A server may
// leave registry links there: every key is opened as itself, so a link is
// read, copied and deleted as a link and never leads into the key it names.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace services {

// Registry names compare without regard to case, as the registry compares them.
bool SameRegName(const std::wstring& a, const std::wstring& b);
struct RegNameLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

struct RegValue {
    std::wstring Name;  // empty for the key's default value
    DWORD Type = REG_NONE;
    std::vector<uint8_t> Data;
    bool operator==(const RegValue&) const = default;
};

struct RegKey {
    std::wstring Path;  // below the key read, separated by backslashes; empty for that key itself
    std::vector<RegValue> Values;
    bool HasSubkeys = false;
    std::wstring LinkTarget;  // for a registry link, the key it names, as its link value has it
};

// Parents before their children, siblings in the registry's own order of names.
using RegTree = std::vector<RegKey>;

RegTree ReadRegTree(HKEY root);

// The names of the keys right below `key`.
std::vector<std::wstring> RegSubkeyNames(HKEY key);

// What turns `before` into `after`: keys (with the values that are new or
// changed) that appeared or changed, the topmost of the keys that went, and
// the values that went from keys that stayed.
struct RegDiff {
    RegTree Written;
    std::vector<std::wstring> DeletedKeys;
    std::vector<std::pair<std::wstring, std::wstring>> DeletedValues;  // key, value name
    RegTree Removed;  // every key that went, with the values it had
    bool Empty() const { return Written.empty() && DeletedKeys.empty() && DeletedValues.empty(); }
};

RegDiff DiffRegTrees(const RegTree& before, const RegTree& after);

// What a copy may still take: it stops short rather than copy a tree of any size.
struct CopyBudget {
    size_t keys = 4096;
    size_t bytes = 4 << 20;
};

// Copies the key at `path` below `from`, with everything below it, to the
// same path below `to`, as far as `budget` lasts; links are left out.
// Nothing when `from` has no such key.
LONG CopyRegSubtree(HKEY from, HKEY to, const std::wstring& path, CopyBudget& budget);

// Deletes `name` below `parent` and everything below it; a link is deleted
// itself, never the key it names. ERROR_SUCCESS when it is gone or was never there.
LONG DeleteRegTree(HKEY parent, const std::wstring& name);

}  // namespace services
