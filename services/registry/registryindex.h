// What one registry key that lists servers holds, kept at hand: the classes
// under Software\Classes\CLSID, or the type libraries under
// Software\Classes\TypeLib, of one root (the machine's or the user's) in one
// view, each with the paths it names. Reading it all costs a round trip to the
// registry per key, far too slow to repeat after every export when there are
// thousands; so it is read once, watched, and after an export only what can
// have changed is read again: new keys, found by their count and their
// places, and the entries the caller names.
#pragma once

#include <windows.h>

#include <atomic>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "registryview.h"
#include "runtime/handles.h"

namespace services {

struct IndexedPath {
    std::wstring spelled;  // the value as SpelledPath gives it
    std::wstring nameKey;  // NameKey of it
    std::wstring version;  // a type library's version key; empty for a class
};

struct IndexEntry {
    std::wstring name;  // the subkey: a class's or a type library's identifier
    std::vector<IndexedPath> paths;
    unsigned skipped = 0;  // its paths too long to be read (kLongestRegText)
};

enum class IndexedKey { Classes, TypeLibs };

// The system's clock as the registry stamps a key's writes, for a settling's `since`.
inline ULONGLONG RegistryClockNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

class RegistryIndex {
public:
    RegistryIndex(HKEY root, IndexedKey what, RegistryView view)
        : root_(root), what_(what), view_(view), changed_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    RegistryIndex(const RegistryIndex&) = delete;
    RegistryIndex& operator=(const RegistryIndex&) = delete;

    // True when it has been read and nothing below it has changed since. Safe
    // to ask from another thread: a reading in progress is not fresh.
    bool Fresh() const;
    // Reads it all again, watching it from the start. False when `cancel`
    // stopped it first, or a reader failed; it is then empty and stale.
    bool Rebuild(const std::atomic<bool>& cancel);
    // After an export, with the index fresh when the export began: adds the
    // keys that appeared, and reads again the entries named in `again` and
    // those with a path of one of `nameKeys`. Falls back to reading every name
    // when the keys' count and places do not add up. False when `cancel`
    // stopped it; it is then stale.
    bool Update(const std::vector<std::wstring>& again, const std::vector<std::wstring>& nameKeys,
                const std::atomic<bool>& cancel);
    // After an export that ran while it was being read (or after it was
    // read): what changed since the reading began is read again, told by the
    // keys' write times: the keys written from `since` on, new ones, and those
    // named in `again` or holding a path of one of `nameKeys`; the others keep
    // what was read of them. Nothing is read when nothing changed. False when
    // `cancel` stopped it; it is then empty and stale.
    bool Settle(ULONGLONG since, const std::vector<std::wstring>& again,
                const std::vector<std::wstring>& nameKeys, const std::atomic<bool>& cancel);
    // Read again whole next time: a reading broke off half done.
    void Forget() { read_ = false; }

    const std::vector<IndexEntry>& Entries() const { return entries_; }
    // The entry of that name; null when there is none.
    const IndexEntry* Find(const std::wstring& name) const;
    // The places of the entries with a path of one of these name keys, in order.
    std::vector<size_t> Holding(const std::vector<std::wstring>& nameKeys) const;
    // Signalled when anything below the key changes, while it is watched.
    HANDLE Changed() const { return changed_.Get(); }
    // The open key, for reading more of an entry; null when it does not exist.
    HKEY Key() const { return key_.Get(); }
    IndexedKey What() const { return what_; }
    // How many paths were too long to be read, over all entries.
    size_t Skipped() const { return skipped_; }

private:
    bool Open();
    void Watch();
    bool Counted(DWORD& count) const;
    // What a settling keeps: entries written before `since` and not named in `again` (upper case).
    struct Keep {
        ULONGLONG since;
        const std::set<std::wstring>& again;
    };
    bool ReadAll(const std::atomic<bool>& cancel, const Keep* keep = nullptr);
    bool ReadStripe(DWORD first, DWORD step, std::vector<IndexEntry>& stripe, const std::atomic<bool>& cancel,
                    const Keep* keep) const noexcept;
    IndexEntry EntryAt(const std::wstring& name, ULONGLONG written, const Keep* keep) const;
    std::set<std::wstring> Named(const std::vector<std::wstring>& again,
                                 const std::vector<std::wstring>& nameKeys) const;
    IndexEntry ReadEntry(const std::wstring& name) const;
    void ReadClassPaths(IndexEntry& entry) const;
    void ReadTypeLibPaths(IndexEntry& entry) const;
    bool FindAdded(DWORD count, std::vector<std::pair<DWORD, std::wstring>>& added,
                   const std::atomic<bool>& cancel) const;
    bool FindAddedIn(DWORD lo, DWORD hi, size_t oldLo, size_t oldHi,
                     std::vector<std::pair<DWORD, std::wstring>>& added,
                     const std::atomic<bool>& cancel) const;
    bool Merge(const std::vector<std::pair<DWORD, std::wstring>>& added, const std::atomic<bool>& cancel);
    bool Rename(const std::atomic<bool>& cancel);
    bool Reread(const std::set<std::wstring>& names, const std::atomic<bool>& cancel);
    void Reindex();
    void Repath(size_t at, IndexEntry read);
    bool Exists(const std::wstring& name) const;

    HKEY root_;
    IndexedKey what_;
    RegistryView view_;
    rt::RegKey key_;
    rt::Handle changed_;  // signalled by the registry when anything below the key changes
    std::atomic<bool> watching_{false};
    std::atomic<bool> read_{false};
    std::vector<IndexEntry> entries_;                        // in the registry's own order
    std::unordered_map<std::wstring, size_t> at_;            // upper-case name to its place in entries_
    std::unordered_multimap<std::wstring, size_t> holding_;  // name key to the places of entries holding it
    size_t skipped_ = 0;                                     // the entries' skipped paths, summed
};

}  // namespace services
