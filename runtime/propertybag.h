// A property bag: one control instance's stored values, by case-insensitive key.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "variant.h"

namespace rt {

class PropertyBag {
public:
    // The stored value, or the default when the key is absent.
    Variant ReadProperty(const std::wstring& key, const Variant& defaultValue) const;
    // Stores the value; nothing is stored (and an earlier value is removed) when
    // it equals the default, so that reading gives the default back.
    void WriteProperty(const std::wstring& key, const Variant& value, const Variant& defaultValue);

    bool Contains(const std::wstring& key) const;
    void Remove(const std::wstring& key);
    // Entries in the order they were first written (keys as written).
    const std::vector<std::pair<std::wstring, Variant>>& Entries() const { return entries_; }
    void Set(const std::wstring& key, const Variant& value);  // unconditional store

private:
    std::vector<std::pair<std::wstring, Variant>> entries_;
};

}  // namespace rt
