#include "regtree.h"

#include <algorithm>
#include <map>

#include "handles.h"

namespace services {
namespace {

std::wstring Join(const std::wstring& parent, const std::wstring& name) {
    return parent.empty() ? name : parent + L"\\" + name;
}

std::vector<RegValue> ReadValues(HKEY key, DWORD count, DWORD longestName, DWORD longestData) {
    std::vector<RegValue> values;
    std::vector<wchar_t> name(longestName + 1);
    std::vector<uint8_t> data(longestData);
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size) !=
            ERROR_SUCCESS)
            continue;
        values.push_back({std::wstring(name.data(), nameLength), type,
                          std::vector<uint8_t>(data.begin(), data.begin() + size)});
    }
    return values;
}

void ReadInto(HKEY key, const std::wstring& path, RegTree& tree) {
    DWORD subkeys = 0, longestSubkey = 0, values = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &values,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    tree.push_back({path, ReadValues(key, values, longestName, longestData), subkeys > 0});
    std::vector<wchar_t> name(longestSubkey + 1);
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        const std::wstring child(name.data(), length);
        rt::RegKey opened;
        if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, opened.Put()) == ERROR_SUCCESS)
            ReadInto(opened.Get(), Join(path, child), tree);
    }
}

const RegValue* FindValue(const std::vector<RegValue>& values, const std::wstring& name) {
    const auto found = std::find_if(values.begin(), values.end(),
                                    [&](const RegValue& v) { return SameRegName(v.Name, name); });
    return found == values.end() ? nullptr : &*found;
}

bool Below(const std::wstring& path, const std::wstring& ancestor) {
    return path.size() > ancestor.size() && path[ancestor.size()] == L'\\' &&
           SameRegName(path.substr(0, ancestor.size()), ancestor);
}

}  // namespace

bool SameRegName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

bool RegNameLess::operator()(const std::wstring& a, const std::wstring& b) const {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_LESS_THAN;
}

RegTree ReadRegTree(HKEY root) {
    RegTree tree;
    ReadInto(root, L"", tree);
    return tree;
}

RegDiff DiffRegTrees(const RegTree& before, const RegTree& after) {
    std::map<std::wstring, const RegKey*, RegNameLess> old, now;
    for (const RegKey& key : before) old[key.Path] = &key;
    for (const RegKey& key : after) now[key.Path] = &key;
    RegDiff diff;
    for (const RegKey& key : after) {
        const auto was = old.find(key.Path);
        RegKey written{key.Path, {}, key.HasSubkeys};
        for (const RegValue& value : key.Values) {
            const RegValue* previous =
                was == old.end() ? nullptr : FindValue(was->second->Values, value.Name);
            if (!previous || !(*previous == value)) written.Values.push_back(value);
        }
        if (was == old.end() || !written.Values.empty()) diff.Written.push_back(std::move(written));
        if (was == old.end()) continue;
        for (const RegValue& value : was->second->Values)
            if (!FindValue(key.Values, value.Name)) diff.DeletedValues.emplace_back(key.Path, value.Name);
    }
    for (const RegKey& key : before) {
        if (now.count(key.Path)) continue;
        diff.Removed.push_back(key);
        const bool parentGone = !diff.DeletedKeys.empty() && Below(key.Path, diff.DeletedKeys.back());
        if (!parentGone) diff.DeletedKeys.push_back(key.Path);
    }
    return diff;
}

LONG CopyRegSubtree(HKEY from, HKEY to, const std::wstring& path) {
    rt::RegKey source;
    LONG rc = RegOpenKeyExW(from, path.c_str(), 0, KEY_READ, source.Put());
    if (rc != ERROR_SUCCESS) return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
    rt::RegKey target;
    rc = RegCreateKeyExW(to, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, target.Put(), nullptr);
    return rc == ERROR_SUCCESS ? RegCopyTreeW(source.Get(), nullptr, target.Get()) : rc;
}

}  // namespace services
