#include "registryindex.h"

#include <algorithm>
#include <array>
#include <set>
#include <system_error>
#include <thread>

#include "registrypath.h"
#include "regtext.h"

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

const std::atomic<bool> kNeverCancelled{false};

// A whole reading costs a round trip to the registry per key, and the trips
// wait far more than they work: several readers at once take a fraction of
// the time (a quarter, with four, among the few hundred classes of a fresh
// system).
constexpr DWORD kReaders = 4;

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
        return false;
    }
    Reindex();
    read_ = true;
    return true;
}

// Every `step`-th key from `first`, in order, until the keys end.
void RegistryIndex::ReadStripe(DWORD first, DWORD step, std::vector<IndexEntry>& stripe,
                               const std::atomic<bool>& cancel) const {
    for (DWORD i = first; !cancel; i += step) {
        const auto name = SubkeyAt(key_.Get(), i);
        if (!name) return;
        stripe.push_back(ReadEntry(*name));
    }
}

// The stripes are read at once, each on a thread of the caller's priority
// (the caller reads the first, and any a thread could not be made for), and
// then put together in the registry's own order. A key of one entry or none
// is read by the caller alone.
bool RegistryIndex::ReadAll(const std::atomic<bool>& cancel) {
    DWORD count = 0;
    const DWORD step = Counted(count) ? std::clamp<DWORD>(count, 1, kReaders) : 1;
    std::array<std::vector<IndexEntry>, kReaders> stripes;
    const int priority = GetThreadPriority(GetCurrentThread());
    std::vector<std::thread> readers;
    for (DWORD s = 1; s < step; ++s) {
        try {
            readers.emplace_back([this, s, step, priority, &stripes, &cancel] {
                SetThreadPriority(GetCurrentThread(), priority);
                ReadStripe(s, step, stripes[s], cancel);
            });
        } catch (const std::system_error&) {
            break;
        }
    }
    ReadStripe(0, step, stripes[0], cancel);
    for (DWORD s = static_cast<DWORD>(readers.size()) + 1; s < step; ++s)
        ReadStripe(s, step, stripes[s], cancel);
    for (std::thread& reader : readers) reader.join();
    if (cancel) return false;
    // Stripes of unequal ends mean keys came or went meanwhile; the watch has seen it then.
    entries_.clear();
    for (size_t i = 0; i / step < stripes[i % step].size(); ++i)
        entries_.push_back(std::move(stripes[i % step][i / step]));
    return true;
}

void RegistryIndex::Update(const std::vector<std::wstring>& again,
                           const std::vector<std::wstring>& nameKeys) {
    if (!read_ || !key_) {
        Rebuild(kNeverCancelled);
        return;
    }
    // Watched again before anything is read: whatever changes after this is a change.
    Watch();
    DWORD count = 0;
    if (!Counted(count)) {
        Rebuild(kNeverCancelled);
        return;
    }
    std::set<std::wstring> names;
    for (const std::wstring& name : again)
        if (!name.empty()) names.insert(Upper(name));
    for (size_t at : Holding(nameKeys)) names.insert(Upper(entries_[at].name));

    if (count > entries_.size()) {
        std::vector<std::pair<DWORD, std::wstring>> added;
        if (FindAdded(count, added))
            Merge(added);
        else
            Rename();
    }
    bool placesUnknown = false;
    std::vector<size_t> gone;
    for (const std::wstring& name : names) {
        const auto at = at_.find(name);
        if (at == at_.end()) {
            // A key that the count did not reveal (another went as it came): its place is unknown.
            placesUnknown = placesUnknown || Exists(name);
            continue;
        }
        Repath(at->second, ReadEntry(entries_[at->second].name).paths);
        if (entries_[at->second].paths.empty() && !Exists(entries_[at->second].name))
            gone.push_back(at->second);
    }
    if (!gone.empty()) {
        std::sort(gone.rbegin(), gone.rend());
        for (size_t at : gone) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
        Reindex();
    }
    if (placesUnknown || entries_.size() != count) Rename();
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

void RegistryIndex::Repath(size_t at, std::vector<IndexedPath> paths) {
    for (const IndexedPath& path : entries_[at].paths) {
        const auto [first, last] = holding_.equal_range(path.nameKey);
        for (auto held = first; held != last; ++held)
            if (held->second == at) {
                holding_.erase(held);
                break;
            }
    }
    entries_[at].paths = std::move(paths);
    for (const IndexedPath& path : entries_[at].paths) holding_.emplace(path.nameKey, at);
}

bool RegistryIndex::Exists(const std::wstring& name) const {
    rt::RegKey key;
    return RegOpenKeyExW(key_.Get(), name.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

IndexEntry RegistryIndex::ReadEntry(const std::wstring& name) const {
    return {name, what_ == IndexedKey::Classes ? ClassPaths(name) : TypeLibPaths(name)};
}

std::vector<IndexedPath> RegistryIndex::ClassPaths(const std::wstring& clsid) const {
    const auto value = ReadRegText(key_.Get(), clsid + L"\\InprocServer32");
    if (!value) return {};
    const std::wstring spelled = SpelledPath(value->text, value->type, view_);
    return {{spelled, NameKey(spelled), {}}};
}

std::vector<IndexedPath> RegistryIndex::TypeLibPaths(const std::wstring& libid) const {
    const wchar_t* platform = view_ == RegistryView::Bits64 ? L"\\win64" : L"\\win32";
    std::vector<IndexedPath> paths;
    rt::RegKey library;
    if (RegOpenKeyExW(key_.Get(), libid.c_str(), 0, KEY_READ, library.Put()) != ERROR_SUCCESS) return paths;
    for (DWORD v = 0; const auto version = SubkeyAt(library.Get(), v); ++v) {
        rt::RegKey versionKey;
        if (RegOpenKeyExW(library.Get(), version->c_str(), 0, KEY_READ, versionKey.Put()) != ERROR_SUCCESS)
            continue;
        for (DWORD l = 0; const auto locale = SubkeyAt(versionKey.Get(), l); ++l) {
            if (!IsLocale(*locale)) continue;
            if (const auto value = ReadRegText(versionKey.Get(), *locale + platform)) {
                const std::wstring spelled = SpelledPath(value->text, value->type, view_);
                paths.push_back({spelled, NameKey(spelled), *version});
            }
        }
    }
    return paths;
}

// The keys at the new places that the index lacks, assuming keys were only
// added: the registry keeps its subkeys in order, so an old key's new place
// tells how many were added before it, and halving finds them in a few
// dozen reads among thousands. False when that does not add up.
bool RegistryIndex::FindAdded(DWORD count, std::vector<std::pair<DWORD, std::wstring>>& added) const {
    if (!FindAddedIn(0, count, 0, entries_.size(), added)) return false;
    std::sort(added.begin(), added.end());
    return added.size() == count - entries_.size();
}

// New places [lo, hi) hold the old entries [oldLo, oldHi) and what was added among them.
bool RegistryIndex::FindAddedIn(DWORD lo, DWORD hi, size_t oldLo, size_t oldHi,
                                std::vector<std::pair<DWORD, std::wstring>>& added) const {
    if (hi - lo < oldHi - oldLo) return false;
    if (hi - lo == oldHi - oldLo) return true;
    const DWORD mid = lo + (hi - lo) / 2;
    // From the middle back to the first old key: everything passed on the way is new.
    std::vector<std::pair<DWORD, std::wstring>> run;
    for (DWORD at = mid;; --at) {
        const auto name = SubkeyAt(key_.Get(), at);
        if (!name) return false;
        const auto known = at_.find(Upper(*name));
        if (known != at_.end()) {
            const size_t j = known->second;
            if (j < oldLo || j >= oldHi) return false;
            added.insert(added.end(), run.begin(), run.end());
            return FindAddedIn(lo, at, oldLo, j, added) && FindAddedIn(mid + 1, hi, j + 1, oldHi, added);
        }
        run.emplace_back(at, *name);
        if (at == lo) break;
    }
    added.insert(added.end(), run.begin(), run.end());
    return FindAddedIn(mid + 1, hi, oldLo, oldHi, added);
}

void RegistryIndex::Merge(const std::vector<std::pair<DWORD, std::wstring>>& added) {
    std::vector<IndexEntry> merged;
    merged.reserve(entries_.size() + added.size());
    auto next = added.begin();
    for (size_t old = 0; old < entries_.size() || next != added.end();) {
        if (next != added.end() && (next->first == merged.size() || old == entries_.size())) {
            merged.push_back(ReadEntry((next++)->second));
        } else {
            merged.push_back(std::move(entries_[old++]));
        }
    }
    entries_ = std::move(merged);
    Reindex();
}

// Every name read again, in order; entries still there keep what was read of them.
void RegistryIndex::Rename() {
    std::vector<IndexEntry> renamed;
    renamed.reserve(entries_.size());
    for (DWORD i = 0; const auto name = SubkeyAt(key_.Get(), i); ++i) {
        const auto known = at_.find(Upper(*name));
        renamed.push_back(known != at_.end() ? std::move(entries_[known->second]) : ReadEntry(*name));
    }
    entries_ = std::move(renamed);
    Reindex();
}

void RegistryIndex::Reindex() {
    at_.clear();
    holding_.clear();
    at_.reserve(entries_.size());
    holding_.reserve(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i) {
        at_.emplace(Upper(entries_[i].name), i);
        for (const IndexedPath& path : entries_[i].paths) holding_.emplace(path.nameKey, i);
    }
}

}  // namespace services
