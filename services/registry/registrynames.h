// What names a server file in the registry view of its kind: the classes
// whose InprocServer32 and the type libraries whose win32 or win64 path lead
// to that very file, told by the file's identity however the path is spelt.
#pragma once

#include <array>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "fileidentity.h"
#include "owntypelib.h"
#include "paths/serverroad.h"
#include "registryindex.h"
#include "registryview.h"

namespace services {

struct NamedClass {
    std::wstring clsid;
    std::wstring progId;  // or its version-independent one; empty when it has none
    std::wstring name;    // the class key's own text
    std::wstring threadingModel;
};

struct NamedTypeLib {
    std::wstring libid;
    std::wstring version;
    std::wstring name;
};

struct RegistryNames {
    RegistryView view = RegistryView::Bits32;
    std::wstring file;  // as the user knows it: a full path, the system folder as the shell shows it
    std::vector<NamedClass> classes;
    std::vector<NamedTypeLib> typeLibs;
    size_t skipped = 0;  // values of the view's classes and type libraries too long to be read
};

// Names beyond these (classes first) carry their identifiers only: no box lists more.
inline constexpr size_t kDetailedNames = 8;

// The file a server's road leads to, and the view its kind registers in.
struct NamesTarget {
    std::wstring shown;   // RegistryNames::file
    std::wstring opened;  // the path this process opens for it
    RegistryView view = RegistryView::Bits32;
};

// Nullopt for a road on which no export runs, or a bare name found nowhere.
std::optional<NamesTarget> TargetOf(const ServerFile& server);

// What tells the target's own names from others, and what it likely registered.
struct TargetFacts {
    FileIdentity identity;
    std::vector<std::wstring> nameKeys;  // its long and short names, as NameKey gives them
    OwnTypeLib typeLib;
    bool typeLibRead = false;
};

// Nullopt when the file cannot be opened. What was read before of the same
// path is taken as it is while the file keeps its identity, size and write time.
// The file's type library is read only `withTypeLib`: the system's parser
// runs on it, which is for a file whose export is about to run anyway.
std::optional<TargetFacts> FactsOf(const NamesTarget& target, const TargetFacts* readBefore = nullptr,
                                   bool withTypeLib = false);

// The classes and type libraries of one view, the user's first: where the
// user has a class of their own, the system's class of the same identifier
// is not the one clients find.
class ViewIndexes {
public:
    explicit ViewIndexes(RegistryView view);

    static constexpr size_t kCount = 4;
    RegistryIndex& operator[](size_t i) { return indexes_[i]; }

    // Makes every index fresh that is not; false when `cancel` stopped it.
    bool Refresh(const std::atomic<bool>& cancel);
    // After an export: each index that was fresh when it began is updated, the
    // others read again. False when `cancel` stopped a reading; the indexes
    // are then read whole next time, as they are after Forget.
    bool AfterExport(const std::array<bool, kCount>& freshBefore, const TargetFacts& facts,
                     const std::atomic<bool>& cancel);
    // After an export that ran beside the reading of the indexes: each is
    // settled, what was written from `since` on read again (Settle). False
    // when `cancel` stopped a reading, as for AfterExport.
    bool Settle(ULONGLONG since, const TargetFacts& facts, const std::atomic<bool>& cancel);
    void Forget();
    // What names the target, with the details of the first kDetailedNames.
    RegistryNames Collect(const NamesTarget& target, const TargetFacts& facts) const;

private:
    bool Overridden(const RegistryIndex& index, const IndexEntry& entry) const;
    bool RefreshPart(size_t first, const std::atomic<bool>& cancel) noexcept;

    RegistryView view_;
    // The user's classes, the machine's, the user's type libraries, the machine's.
    std::array<RegistryIndex, kCount> indexes_;
};

}  // namespace services
