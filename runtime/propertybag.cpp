#include "propertybag.h"

#include <algorithm>

namespace rt {
namespace {

bool SameKey(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

}  // namespace

Variant PropertyBag::ReadProperty(const std::wstring& key, const Variant& defaultValue) const {
    for (const auto& [k, v] : entries_)
        if (SameKey(k, key)) return v;
    return defaultValue;
}

void PropertyBag::WriteProperty(const std::wstring& key, const Variant& value, const Variant& defaultValue) {
    if (SameValue(value, defaultValue))
        Remove(key);
    else
        Set(key, value);
}

bool PropertyBag::Contains(const std::wstring& key) const {
    return std::any_of(entries_.begin(), entries_.end(), [&](const auto& e) { return SameKey(e.first, key); });
}

void PropertyBag::Remove(const std::wstring& key) {
    std::erase_if(entries_, [&](const auto& e) { return SameKey(e.first, key); });
}

void PropertyBag::Set(const std::wstring& key, const Variant& value) {
    // An empty value is the absence of a value.
    if (std::holds_alternative<std::monostate>(value)) {
        Remove(key);
        return;
    }
    for (auto& entry : entries_) {
        if (SameKey(entry.first, key)) {
            entry.second = value;
            return;
        }
    }
    entries_.emplace_back(key, value);
}

}  // namespace rt
