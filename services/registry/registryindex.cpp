#include "registryindex.h"

#include <algorithm>
#include <array>
#include <set>

#include "comkeys.h"
#include "registrypath.h"
#include "regtext.h"
#include "runtime/thread.h"

namespace services {
namespace {

std::wstring Upper(std::wstring text) {
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// A type library's locale keys are hexadecimal numbers; FLAGS and HELPDIR stand beside them.
bool IsLocale(const std::wstring& name) {
    return !name.empty() && name.size() <= 8 &&
           name.find_first_not_of(L"0123456789abcdefABCDEF") == std::wstring::npos;
}

// A whole reading costs a round trip to the registry per key, and the trips
// wait far more than they work: several readers at once take a fraction of
// the time (a quarter, with four, among the few hundred classes of a fresh
// system).
constexpr DWORD kReaders = 4;
// A reader more is worth its thread only for this many keys: fewer (a type
// library key, a user's few classes) are read by the caller alone.
constexpr DWORD kKeysPerReader = 64;

}  // namespace

bool RegistryIndex::Open() {
    const wchar_t* path =
        what_ == IndexedKey::Classes ? L"Software\\Classes\\CLSID" : L"Software\\Classes\\TypeLib";
    return RegOpenKeyExW(root_, path, 0, KEY_READ | ViewAccess(view_), key_.Put()) == ERROR_SUCCESS;
}

// Armed again only once it has fired: a request that is still pending stays the one.
void RegistryIndex::Watch() {
    if (!changed_ || !key_) {
        watching_ = false;
        return;
    }
    if (watching_ && WaitForSingleObject(changed_.Get(), 0) == WAIT_TIMEOUT) return;
    ResetEvent(changed_.Get());
    watching_ = RegNotifyChangeKeyValue(key_.Get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                        changed_.Get(), TRUE) == ERROR_SUCCESS;
}

bool RegistryIndex::Fresh() const {
    return read_ && watching_ && WaitForSingleObject(changed_.Get(), 0) == WAIT_TIMEOUT;
}

bool RegistryIndex::Counted(DWORD& count) const {
    return RegQueryInfoKeyW(key_.Get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool RegistryIndex::Rebuild(const std::atomic<bool>& cancel) {
    read_ = false;
    watching_ = false;
    entries_.clear();
    at_.clear();
    holding_.clear();
    // Opened afresh: the key may have been deleted and made again meanwhile.
    if (!Open()) {
        read_ = true;  // nothing there; unwatched, so never fresh, and cheap to read again
        return true;
    }
    Watch();
    if (!ReadAll(cancel)) {
        entries_.clear();
        Reindex();
        return false;
    }
    Reindex();
    read_ = true;
    return true;
}

// Every `step`-th key from `first`, in order, until the keys end. It runs on
// a thread of its own, where nothing may be thrown: false when it failed.
bool RegistryIndex::ReadStripe(DWORD first, DWORD step, std::vector<IndexEntry>& stripe,
                               const std::atomic<bool>& cancel, const Keep* keep) const noexcept {
    try {
        for (DWORD i = first; !cancel; i += step) {
            ULONGLONG written = 0;
            const auto name = SubkeyAt(key_.Get(), i, &written);
            if (!name) return true;
            stripe.push_back(EntryAt(*name, written, keep));
        }
    } catch (...) {
        stripe.clear();
        return false;
    }
    return true;
}

// The stripes are read at once (RunTogether), then put together in the registry's own order.
bool RegistryIndex::ReadAll(const std::atomic<bool>& cancel, const Keep* keep) {
    DWORD count = 0;
    const DWORD step = Counted(count) ? std::clamp<DWORD>(count / kKeysPerReader, 1, kReaders) : 1;
    std::array<std::vector<IndexEntry>, kReaders> stripes;
    std::array<bool, kReaders> read{};
    rt::RunTogether(step, [&](DWORD s) { read[s] = ReadStripe(s, step, stripes[s], cancel, keep); });
    if (cancel || std::find(read.begin(), read.begin() + step, false) != read.begin() + step) return false;
    // Stripes of unequal ends mean keys came or went meanwhile; the watch has seen it then.
    entries_.clear();
    for (size_t i = 0; i / step < stripes[i % step].size(); ++i)
        entries_.push_back(std::move(stripes[i % step][i / step]));
    return true;
}

bool RegistryIndex::Update(const std::vector<std::wstring>& again, const std::vector<std::wstring>& nameKeys,
                           const std::atomic<bool>& cancel) {
    if (!read_ || !key_) return Rebuild(cancel);
    // Watched again before anything is read: whatever changes after this is a change.
    Watch();
    DWORD count = 0;
    if (!Counted(count)) return Rebuild(cancel);
    const std::set<std::wstring> names = Named(again, nameKeys);
    if (count > entries_.size()) {
        std::vector<std::pair<DWORD, std::wstring>> added;
        const bool found = FindAdded(count, added, cancel);
        if (!(found ? Merge(added, cancel) : Rename(cancel))) return false;
    }
    const bool placesKnown = Reread(names, cancel);
    if (cancel) {
        read_ = false;
        return false;
    }
    return placesKnown && entries_.size() == count ? true : Rename(cancel);
}

bool RegistryIndex::Settle(ULONGLONG since, const std::vector<std::wstring>& again,
                           const std::vector<std::wstring>& nameKeys, const std::atomic<bool>& cancel) {
    if (!read_ || !key_) return Rebuild(cancel);
    // Watched since before the reading began: quiet, nothing read can have changed.
    if (watching_ && WaitForSingleObject(changed_.Get(), 0) == WAIT_TIMEOUT) return true;
    Watch();
    const std::set<std::wstring> names = Named(again, nameKeys);
    const Keep keep{since, names};
    const bool read = ReadAll(cancel, &keep);
    if (!read) {
        read_ = false;
        entries_.clear();
    }
    Reindex();
    return read;
}

// A key keeps what was read of it unless it was written since, or is named again.
IndexEntry RegistryIndex::EntryAt(const std::wstring& name, ULONGLONG written, const Keep* keep) const {
    if (keep && written < keep->since) {
        const std::wstring upper = Upper(name);
        const auto known = at_.find(upper);
        if (known != at_.end() && keep->again.count(upper) == 0) return entries_[known->second];
    }
    return ReadEntry(name);
}

// The names in `again` and those of the entries holding a path of `nameKeys`, upper case.
std::set<std::wstring> RegistryIndex::Named(const std::vector<std::wstring>& again,
                                            const std::vector<std::wstring>& nameKeys) const {
    std::set<std::wstring> names;
    for (const std::wstring& name : again)
        if (!name.empty()) names.insert(Upper(name));
    for (size_t at : Holding(nameKeys)) names.insert(Upper(entries_[at].name));
    return names;
}

// The named entries read again, those gone taken out; false when a name is
// there whose place is unknown.
bool RegistryIndex::Reread(const std::set<std::wstring>& names, const std::atomic<bool>& cancel) {
    bool placesKnown = true;
    std::vector<size_t> gone;
    for (const std::wstring& name : names) {
        if (cancel) break;
        const auto at = at_.find(name);
        if (at == at_.end()) {
            // A key that the count did not reveal (another went as it came): its place is unknown.
            placesKnown = placesKnown && !Exists(name);
            continue;
        }
        Repath(at->second, ReadEntry(entries_[at->second].name));
        if (entries_[at->second].paths.empty() && !Exists(entries_[at->second].name))
            gone.push_back(at->second);
    }
    if (!gone.empty()) {
        std::sort(gone.rbegin(), gone.rend());
        for (size_t at : gone) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
        Reindex();
    }
    return placesKnown;
}

const IndexEntry* RegistryIndex::Find(const std::wstring& name) const {
    const auto at = at_.find(Upper(name));
    return at == at_.end() ? nullptr : &entries_[at->second];
}

std::vector<size_t> RegistryIndex::Holding(const std::vector<std::wstring>& nameKeys) const {
    std::vector<size_t> found;
    for (const std::wstring& key : nameKeys) {
        const auto [first, last] = holding_.equal_range(key);
        for (auto at = first; at != last; ++at) found.push_back(at->second);
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

void RegistryIndex::Repath(size_t at, IndexEntry read) {
    for (const IndexedPath& path : entries_[at].paths) {
        const auto [first, last] = holding_.equal_range(path.nameKey);
        for (auto held = first; held != last; ++held)
            if (held->second == at) {
                holding_.erase(held);
                break;
            }
    }
    skipped_ = skipped_ - entries_[at].skipped + read.skipped;
    entries_[at].skipped = read.skipped;
    entries_[at].paths = std::move(read.paths);
    for (const IndexedPath& path : entries_[at].paths) holding_.emplace(path.nameKey, at);
}

bool RegistryIndex::Exists(const std::wstring& name) const {
    rt::RegKey key;
    return RegOpenKeyExW(key_.Get(), name.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

IndexEntry RegistryIndex::ReadEntry(const std::wstring& name) const {
    IndexEntry entry{name, {}, 0};
    if (what_ == IndexedKey::Classes)
        ReadClassPaths(entry);
    else
        ReadTypeLibPaths(entry);
    return entry;
}

void RegistryIndex::ReadClassPaths(IndexEntry& entry) const {
    bool tooLong = false;
    const auto value = ReadRegText(key_.Get(), entry.name + L"\\" + kInprocServerKey, nullptr, &tooLong);
    entry.skipped += tooLong;
    if (!value) return;
    const std::wstring spelled = SpelledPath(value->text, value->type, view_);
    entry.paths.push_back({spelled, NameKey(spelled), {}});
}

void RegistryIndex::ReadTypeLibPaths(IndexEntry& entry) const {
    const wchar_t* platform = view_ == RegistryView::Bits64 ? L"\\win64" : L"\\win32";
    rt::RegKey library;
    if (RegOpenKeyExW(key_.Get(), entry.name.c_str(), 0, KEY_READ, library.Put()) != ERROR_SUCCESS) return;
    for (DWORD v = 0; const auto version = SubkeyAt(library.Get(), v); ++v) {
        rt::RegKey versionKey;
        if (RegOpenKeyExW(library.Get(), version->c_str(), 0, KEY_READ, versionKey.Put()) != ERROR_SUCCESS)
            continue;
        for (DWORD l = 0; const auto locale = SubkeyAt(versionKey.Get(), l); ++l) {
            if (!IsLocale(*locale)) continue;
            bool tooLong = false;
            if (const auto value = ReadRegText(versionKey.Get(), *locale + platform, nullptr, &tooLong)) {
                const std::wstring spelled = SpelledPath(value->text, value->type, view_);
                entry.paths.push_back({spelled, NameKey(spelled), *version});
            }
            entry.skipped += tooLong;
        }
    }
}

// The keys at the new places that the index lacks, assuming keys were only
// added: the registry keeps its subkeys in order, so an old key's new place
// tells how many were added before it, and halving finds them in a few
// dozen reads among thousands. False when that does not add up.
bool RegistryIndex::FindAdded(DWORD count, std::vector<std::pair<DWORD, std::wstring>>& added,
                              const std::atomic<bool>& cancel) const {
    if (!FindAddedIn(0, count, 0, entries_.size(), added, cancel)) return false;
    std::sort(added.begin(), added.end());
    return added.size() == count - entries_.size();
}

// New places [lo, hi) hold the old entries [oldLo, oldHi) and what was added among them.
bool RegistryIndex::FindAddedIn(DWORD lo, DWORD hi, size_t oldLo, size_t oldHi,
                                std::vector<std::pair<DWORD, std::wstring>>& added,
                                const std::atomic<bool>& cancel) const {
    if (hi - lo < oldHi - oldLo) return false;
    if (hi - lo == oldHi - oldLo) return true;
    const DWORD mid = lo + (hi - lo) / 2;
    // From the middle back to the first old key: everything passed on the way is new.
    std::vector<std::pair<DWORD, std::wstring>> run;
    for (DWORD at = mid;; --at) {
        const auto name = cancel ? std::nullopt : SubkeyAt(key_.Get(), at);
        if (!name) return false;
        const auto known = at_.find(Upper(*name));
        if (known != at_.end()) {
            const size_t j = known->second;
            if (j < oldLo || j >= oldHi) return false;
            added.insert(added.end(), run.begin(), run.end());
            return FindAddedIn(lo, at, oldLo, j, added, cancel) &&
                   FindAddedIn(mid + 1, hi, j + 1, oldHi, added, cancel);
        }
        run.emplace_back(at, *name);
        if (at == lo) break;
    }
    added.insert(added.end(), run.begin(), run.end());
    return FindAddedIn(mid + 1, hi, oldLo, oldHi, added, cancel);
}

// Stopped by `cancel`, the index is left empty and stale.
bool RegistryIndex::Merge(const std::vector<std::pair<DWORD, std::wstring>>& added,
                          const std::atomic<bool>& cancel) {
    std::vector<IndexEntry> merged;
    merged.reserve(entries_.size() + added.size());
    auto next = added.begin();
    for (size_t old = 0; old < entries_.size() || next != added.end();) {
        if (cancel) {
            merged.clear();
            read_ = false;
            break;
        }
        if (next != added.end() && (next->first == merged.size() || old == entries_.size())) {
            merged.push_back(ReadEntry((next++)->second));
        } else {
            merged.push_back(std::move(entries_[old++]));
        }
    }
    entries_ = std::move(merged);
    Reindex();
    return read_;
}

// Every name read again, in order; entries still there keep what was read of
// them. Stopped by `cancel`, the index is left empty and stale.
bool RegistryIndex::Rename(const std::atomic<bool>& cancel) {
    std::vector<IndexEntry> renamed;
    renamed.reserve(entries_.size());
    for (DWORD i = 0; !cancel; ++i) {
        const auto name = SubkeyAt(key_.Get(), i);
        if (!name) break;
        const auto known = at_.find(Upper(*name));
        renamed.push_back(known != at_.end() ? std::move(entries_[known->second]) : ReadEntry(*name));
    }
    if (cancel) {
        renamed.clear();
        read_ = false;
    }
    entries_ = std::move(renamed);
    Reindex();
    return read_;
}

void RegistryIndex::Reindex() {
    at_.clear();
    holding_.clear();
    skipped_ = 0;
    at_.reserve(entries_.size());
    holding_.reserve(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i) {
        at_.emplace(Upper(entries_[i].name), i);
        skipped_ += entries_[i].skipped;
        for (const IndexedPath& path : entries_[i].paths) holding_.emplace(path.nameKey, i);
    }
}

}  // namespace services
