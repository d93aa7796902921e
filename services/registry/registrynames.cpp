#include "registrynames.h"

#include <algorithm>
#include <map>
#include <set>

#include "comkeys.h"
#include "paths/loadersearch.h"
#include "paths/serverpath.h"
#include "registrypath.h"
#include "regtext.h"
#include "runtime/handles.h"
#include "runtime/thread.h"

namespace services {
namespace {

std::wstring Upper(std::wstring text) {
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Empty, and counted in `skipped`, when too long to be read.
std::wstring Text(HKEY key, const std::wstring& subKey, size_t& skipped, const wchar_t* name = nullptr) {
    bool tooLong = false;
    const auto value = ReadRegText(key, subKey, name, &tooLong);
    skipped += tooLong;
    return value ? value->text : std::wstring();
}

// The path as opened, then the file's own long and short (8.3) names, from one
// look into its folder: a name key is made of the last part alone, so the
// folders above it need no respelling (which costs a look into each of them).
std::vector<std::wstring> Spellings(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    const rt::FindHandle find(
        FindFirstFileExW(path.c_str(), FindExInfoStandard, &found, FindExSearchNameMatch, nullptr, 0));
    if (!find) return {path};
    return {path, found.cFileName, found.cAlternateFileName};
}

// Tells paths that lead to the target, opening each file once.
class SameFile {
public:
    SameFile(const NamesTarget& target, const TargetFacts& facts) : facts_(facts), view_(target.view) {
        // The path the target was opened by needs no second opening.
        answers_.emplace(Upper(target.opened), true);
    }

    bool operator()(const IndexedPath& path) {
        if (facts_.identity.links == 1 &&
            std::find(facts_.nameKeys.begin(), facts_.nameKeys.end(), path.nameKey) == facts_.nameKeys.end())
            return false;
        const std::wstring opened = OpenablePath(path.spelled, view_);
        if (opened.empty()) return false;
        const auto [known, fresh] = answers_.try_emplace(Upper(opened), false);
        // A share may not answer for a minute: only its spelling is compared then.
        if (fresh && !IsRemotePath(opened)) {
            const auto identity = IdentityOf(opened);
            known->second = identity && *identity == facts_.identity;
        }
        return known->second;
    }

private:
    const TargetFacts& facts_;
    RegistryView view_;
    std::map<std::wstring, bool> answers_;
};

NamedClass ClassNamed(HKEY classes, const std::wstring& clsid, bool detailed, size_t& skipped) {
    NamedClass named{clsid, {}, {}, {}};
    if (!detailed) return named;
    named.progId = Text(classes, clsid + L"\\ProgID", skipped);
    if (named.progId.empty()) named.progId = Text(classes, clsid + L"\\VersionIndependentProgID", skipped);
    named.name = Text(classes, clsid, skipped);
    named.threadingModel = Text(classes, clsid + L"\\" + kInprocServerKey, skipped, L"ThreadingModel");
    return named;
}

NamedTypeLib TypeLibNamed(HKEY typeLibs, const std::wstring& libid, const std::wstring& version,
                          bool detailed, size_t& skipped) {
    return {libid, version, detailed ? Text(typeLibs, libid + L"\\" + version, skipped) : std::wstring()};
}

// What an export is likely to have rewritten in place: its type library's classes, or the library itself.
std::vector<std::wstring> Rewritten(const RegistryIndex& index, const TargetFacts& facts) {
    if (index.What() == IndexedKey::TypeLibs) return {facts.typeLib.libid};
    return facts.typeLib.classes;
}

}  // namespace

std::optional<NamesTarget> TargetOf(const ServerFile& server) {
    if (server.fault != ServerFault::None) return std::nullopt;
    if (server.road == Road::Helper) return NamesTarget{server.shown, server.opened, RegistryView::Bits64};
    // Loaded here: the view of this process's own kind (the 64-bit helper's is the 64-bit one).
    return NamesTarget{server.opened, server.opened,
                       sizeof(void*) == 8 ? RegistryView::Bits64 : RegistryView::Bits32};
}

std::optional<TargetFacts> FactsOf(const NamesTarget& target, const TargetFacts* readBefore,
                                   bool withTypeLib) {
    const auto identity = IdentityOf(target.opened);
    if (!identity) return std::nullopt;
    // The same file, unchanged: what was read of it holds (reading it again costs milliseconds).
    if (readBefore && readBefore->identity == *identity && readBefore->identity.size == identity->size &&
        readBefore->identity.written == identity->written) {
        TargetFacts facts = *readBefore;
        facts.identity = *identity;
        if (withTypeLib && !facts.typeLibRead) facts.typeLib = ReadOwnTypeLib(target.opened);
        facts.typeLibRead = facts.typeLibRead || withTypeLib;
        return facts;
    }
    TargetFacts facts{*identity, {}, withTypeLib ? ReadOwnTypeLib(target.opened) : OwnTypeLib{}, withTypeLib};
    for (const std::wstring& spelling : Spellings(target.opened)) {
        const std::wstring key = spelling.empty() ? std::wstring() : NameKey(spelling);
        if (!key.empty() &&
            std::find(facts.nameKeys.begin(), facts.nameKeys.end(), key) == facts.nameKeys.end())
            facts.nameKeys.push_back(key);
    }
    return facts;
}

ViewIndexes::ViewIndexes(RegistryView view)
    : view_(view),
      indexes_{{{HKEY_CURRENT_USER, IndexedKey::Classes, view},
                {HKEY_LOCAL_MACHINE, IndexedKey::Classes, view},
                {HKEY_CURRENT_USER, IndexedKey::TypeLibs, view},
                {HKEY_LOCAL_MACHINE, IndexedKey::TypeLibs, view}}} {}

bool ViewIndexes::Refresh(const std::atomic<bool>& cancel) {
    // The type libraries are read beside the classes: each is a chain of a
    // dozen round trips to the registry, which waits far more than it works.
    std::array<bool, 2> read{};
    rt::RunTogether(2, [&](DWORD part) { read[part] = RefreshPart(part * 2, cancel); });
    return read[0] && read[1];
}

// The two indexes from `first` (the user's and the machine's); false when one
// failed or was stopped. It may run on a thread of its own, where nothing may be thrown.
bool ViewIndexes::RefreshPart(size_t first, const std::atomic<bool>& cancel) noexcept {
    try {
        for (size_t i = first; i < first + 2; ++i)
            if (!indexes_[i].Fresh() && !indexes_[i].Rebuild(cancel)) return false;
    } catch (...) {
        return false;
    }
    return true;
}

bool ViewIndexes::AfterExport(const std::array<bool, kCount>& freshBefore, const TargetFacts& facts,
                              const std::atomic<bool>& cancel) {
    // A file with other names (hard links) may be named by any path: only a whole reading finds them.
    const bool anyName = facts.identity.links != 1;
    for (size_t i = 0; i < kCount; ++i) {
        RegistryIndex& index = indexes_[i];
        if (!freshBefore[i] || anyName) {
            if (!index.Rebuild(cancel)) return false;
            continue;
        }
        if (!index.Update(Rewritten(index, facts), facts.nameKeys, cancel)) return false;
    }
    return true;
}

bool ViewIndexes::Settle(ULONGLONG since, const TargetFacts& facts, const std::atomic<bool>& cancel) {
    // A file with other names (hard links) may be named by any path: only a whole reading finds them.
    const bool anyName = facts.identity.links != 1;
    for (RegistryIndex& index : indexes_)
        if (!(anyName ? index.Rebuild(cancel)
                      : index.Settle(since, Rewritten(index, facts), facts.nameKeys, cancel)))
            return false;
    return true;
}

void ViewIndexes::Forget() {
    for (RegistryIndex& index : indexes_) index.Forget();
}

// A machine's class whose server the user's own class of that identifier replaces, as clients see them.
bool ViewIndexes::Overridden(const RegistryIndex& index, const IndexEntry& entry) const {
    if (&index != &indexes_[1]) return false;
    const IndexEntry* own = indexes_[0].Find(entry.name);
    return own && !own->paths.empty();
}

RegistryNames ViewIndexes::Collect(const NamesTarget& target, const TargetFacts& facts) const {
    RegistryNames names{view_, target.shown, {}, {}};
    SameFile leadsThere(target, facts);
    std::set<std::wstring> seen;
    for (const RegistryIndex& index : indexes_) {
        names.skipped += index.Skipped();
        // A file with a single name can only be reached by that name (or its short form).
        std::vector<size_t> places = index.Holding(facts.nameKeys);
        if (facts.identity.links != 1) {
            places.resize(index.Entries().size());
            for (size_t i = 0; i < places.size(); ++i) places[i] = i;
        }
        for (size_t place : places) {
            const IndexEntry& entry = index.Entries()[place];
            if (Overridden(index, entry)) continue;
            for (const IndexedPath& path : entry.paths) {
                if (!leadsThere(path) || !seen.insert(Upper(entry.name + L"\\" + path.version)).second)
                    continue;
                const bool detailed = names.classes.size() + names.typeLibs.size() < kDetailedNames;
                if (index.What() == IndexedKey::Classes)
                    names.classes.push_back(ClassNamed(index.Key(), entry.name, detailed, names.skipped));
                else
                    names.typeLibs.push_back(
                        TypeLibNamed(index.Key(), entry.name, path.version, detailed, names.skipped));
            }
        }
    }
    return names;
}

}  // namespace services
