#include "regtree.h"

#include <algorithm>
#include <map>

#include "runtime/handles.h"
#include "runtime/latebound.h"

namespace services {
namespace {

// A registry link's own value: the key it names.
constexpr wchar_t kLinkValue[] = L"SymbolicLinkValue";
typedef LONG NTAPI NtDeleteKeyFunction(HANDLE key);
typedef ULONG NTAPI NtStatusToErrorFunction(LONG status);

std::wstring Join(const std::wstring& parent, const std::wstring& name) {
    return parent.empty() ? name : parent + L"\\" + name;
}

// `name` below `parent` as the key it is: a link opens itself, not the key it names.
LONG OpenAsIs(HKEY parent, const std::wstring& name, REGSAM access, rt::RegKey& key) {
    return RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, access, key.Put());
}

std::vector<RegValue> ReadValues(HKEY key) {
    DWORD count = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
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

const RegValue* FindValue(const std::vector<RegValue>& values, const std::wstring& name) {
    const auto found = std::find_if(values.begin(), values.end(),
                                    [&](const RegValue& v) { return SameRegName(v.Name, name); });
    return found == values.end() ? nullptr : &*found;
}

std::wstring LinkTargetOf(const std::vector<RegValue>& values) {
    const RegValue* link = FindValue(values, kLinkValue);
    if (!link || link->Type != REG_LINK) return {};
    return std::wstring(reinterpret_cast<const wchar_t*>(link->Data.data()), link->Data.size() / 2);
}

// Keys below a link opened as itself are its own, so reading on below it is safe.
void ReadInto(HKEY key, const std::wstring& path, RegTree& tree) {
    const std::vector<std::wstring> children = RegSubkeyNames(key);
    RegKey read{path, ReadValues(key), !children.empty(), {}};
    read.LinkTarget = LinkTargetOf(read.Values);
    tree.push_back(std::move(read));
    for (const std::wstring& child : children) {
        rt::RegKey opened;
        if (OpenAsIs(key, child, KEY_READ, opened) == ERROR_SUCCESS)
            ReadInto(opened.Get(), Join(path, child), tree);
    }
}

bool Below(const std::wstring& path, const std::wstring& ancestor) {
    return path.size() > ancestor.size() && path[ancestor.size()] == L'\\' &&
           SameRegName(path.substr(0, ancestor.size()), ancestor);
}

void CopyValues(const std::vector<RegValue>& values, HKEY to, CopyBudget& budget) {
    for (const RegValue& value : values) {
        if (value.Data.size() > budget.bytes) {
            budget.bytes = 0;
            return;
        }
        budget.bytes -= value.Data.size();
        RegSetValueExW(to, value.Name.c_str(), 0, value.Type, value.Data.data(),
                       static_cast<DWORD>(value.Data.size()));
    }
}

void CopyKey(HKEY fromParent, HKEY toParent, const std::wstring& name, CopyBudget& budget) {
    rt::RegKey from, to;
    if (budget.keys == 0 || budget.bytes == 0 || OpenAsIs(fromParent, name, KEY_READ, from) != ERROR_SUCCESS)
        return;
    const std::vector<RegValue> values = ReadValues(from.Get());
    if (!LinkTargetOf(values).empty()) return;
    --budget.keys;
    if (RegCreateKeyExW(toParent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, to.Put(), nullptr) !=
        ERROR_SUCCESS)
        return;
    CopyValues(values, to.Get(), budget);
    for (const std::wstring& child : RegSubkeyNames(from.Get())) CopyKey(from.Get(), to.Get(), child, budget);
}

}  // namespace

std::vector<std::wstring> RegSubkeyNames(HKEY key) {
    DWORD count = 0, longest = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    std::vector<std::wstring> names;
    std::vector<wchar_t> name(longest + 1);
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            names.emplace_back(name.data(), length);
    }
    return names;
}

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
        RegKey written{key.Path, {}, key.HasSubkeys, key.LinkTarget};
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

LONG CopyRegSubtree(HKEY from, HKEY to, const std::wstring& path, CopyBudget& budget) {
    const size_t slash = path.rfind(L'\\');
    const std::wstring parent = slash == std::wstring::npos ? L"" : path.substr(0, slash);
    rt::RegKey source, target;
    LONG rc = RegOpenKeyExW(from, parent.c_str(), 0, KEY_READ, source.Put());
    if (rc != ERROR_SUCCESS) return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
    rc = RegCreateKeyExW(to, parent.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, target.Put(), nullptr);
    if (rc == ERROR_SUCCESS) CopyKey(source.Get(), target.Get(), path.substr(slash + 1), budget);
    return rc;
}

LONG DeleteRegTree(HKEY parent, const std::wstring& name) {
    // Only the native call deletes a key opened as itself: the others open it again, following the link.
    static auto* deleteKey = rt::LateBound<NtDeleteKeyFunction>(L"ntdll.dll", "NtDeleteKey");
    static auto* toError = rt::LateBound<NtStatusToErrorFunction>(L"ntdll.dll", "RtlNtStatusToDosError");
    if (!deleteKey || !toError) return ERROR_PROC_NOT_FOUND;
    rt::RegKey key;
    LONG rc = OpenAsIs(parent, name, KEY_READ | DELETE, key);
    if (rc != ERROR_SUCCESS) return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
    for (const std::wstring& child : RegSubkeyNames(key.Get()))
        if ((rc = DeleteRegTree(key.Get(), child)) != ERROR_SUCCESS) return rc;
    return static_cast<LONG>(toError(deleteKey(key.Get())));
}

}  // namespace services
