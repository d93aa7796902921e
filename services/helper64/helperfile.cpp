#include "helperfile.h"

// The platform headers below build on windows.h.
#include <aclapi.h>
#include <sddl.h>
#include <winternl.h>

#include <algorithm>
#include <cwctype>
#include <memory>
#include <vector>

#include "packedimage.h"

namespace services {
namespace {

const wchar_t kFolderPrefix[] = L"tessiver-";
constexpr size_t kRandomDigits = 32;
const wchar_t kFileName[] = L"tessiver64.exe";
// Owned by Administrators, so that a folder of ours can be told from one a
// user made; full control for administrators and the system, nothing for
// anyone else, not inherited from the temporary folder.
const wchar_t kAdminsOnly[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

// NtCreateFile's dispositions and options.
constexpr ULONG kOpenExisting = 1;
constexpr ULONG kCreateNew = 2;
constexpr ULONG kDirectory = 0x1;
constexpr ULONG kSynchronous = 0x20;
constexpr ULONG kNotDirectory = 0x40;
constexpr ULONG kNoLinkFollowing = 0x200000;  // FILE_OPEN_REPARSE_POINT

constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_ADD_FILE |
                                      FILE_READ_ATTRIBUTES | READ_CONTROL | DELETE | SYNCHRONIZE;

using NtCreateFileFn = LONG(NTAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, IO_STATUS_BLOCK*,
                                    LARGE_INTEGER*, ULONG, ULONG, ULONG, ULONG, void*, ULONG);
using StatusToErrorFn = ULONG(NTAPI*)(LONG);

// Opens or makes `name` inside the folder that `folder` holds: a name relative
// to a handle, so nothing renamed or linked above the folder can steer it.
DWORD OpenInFolder(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share,
                   ULONG disposition, ULONG options, void* security, rt::Handle& opened) {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto create =
        reinterpret_cast<NtCreateFileFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtCreateFile")));
    const auto toError = reinterpret_cast<StatusToErrorFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
    if (!create || !toError) return ERROR_PROC_NOT_FOUND;
    UNICODE_STRING text{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                        static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(name.c_str())};
    OBJECT_ATTRIBUTES attributes{sizeof attributes, folder, &text, OBJ_CASE_INSENSITIVE, security, nullptr};
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const LONG status =
        create(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
               disposition, options | kSynchronous | kNoLinkFollowing, nullptr, 0);
    if (status < 0) return toError(status);
    opened.Reset(handle);
    return 0;
}

// What the system calls the object a handle holds, without the \\?\ before a drive letter.
std::wstring FinalPath(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            const bool drive = path.size() >= 7 && path.compare(0, 4, L"\\\\?\\") == 0 && path[5] == L':';
            return drive ? path.substr(4) : path;
        }
        path.resize(n);
    }
    return {};
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// A plain folder or file, no link of any kind, and right where it was looked
// for: Windows reports a junction or link opened without following it as a
// reparse point; Wine follows a link even then, and the path shows where to.
bool IsPlainAt(HANDLE handle, const std::wstring& expected, bool folder) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag)) return false;
    if (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
    if (((tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder) return false;
    return SamePath(FinalPath(handle), expected);
}

bool DeleteByHandle(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION one{}, other{};
    return GetFileInformationByHandle(a, &one) && GetFileInformationByHandle(b, &other) &&
           one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

bool SameBytes(HANDLE file, std::span<const uint8_t> image) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart != static_cast<LONGLONG>(image.size())) return false;
    std::vector<uint8_t> bytes(image.size());
    DWORD read = 0;
    return ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
           read == bytes.size() && std::equal(bytes.begin(), bytes.end(), image.begin());
}

// The system's temporary folder (%SystemRoot%\Temp), not the user's: a user
// without elevation may make things there but cannot rename or delete what
// an administrator made. It must lie on a local fixed drive.
DWORD OpenSystemTemp(rt::Handle& temp, std::wstring& path) {
    wchar_t windows[MAX_PATH] = {};
    const UINT n = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return ERROR_PATH_NOT_FOUND;
    temp.Reset(CreateFileW((std::wstring(windows, n) + L"\\Temp").c_str(),
                           FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!temp) return GetLastError();
    path = FinalPath(temp.Get());
    wchar_t volume[MAX_PATH] = {};
    if (path.empty() || !GetVolumePathNameW(path.c_str(), volume, MAX_PATH)) return ERROR_PATH_NOT_FOUND;
    return GetDriveTypeW(volume) == DRIVE_FIXED ? 0 : ERROR_NOT_SUPPORTED;
}

bool IsOurFolderName(const std::wstring& name) {
    const size_t prefix = std::size(kFolderPrefix) - 1;
    return name.size() == prefix + kRandomDigits && name.compare(0, prefix, kFolderPrefix) == 0 &&
           std::all_of(name.begin() + prefix, name.end(), [](wchar_t c) { return iswxdigit(c) != 0; });
}

// Administrators or the system, or whoever owns a folder this program has just
// made in the same place: that is Administrators on Windows, which the access
// list asks for; Wine reports its prefix's user as every file's owner.
class Owners {
public:
    explicit Owners(HANDLE ownFolder) {
        GetSecurityInfo(ownFolder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &own_, nullptr, nullptr,
                        nullptr, ownSecurity_.Put());
        DWORD size = sizeof admins_;
        CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins_, &size);
        size = sizeof system_;
        CreateWellKnownSid(WinLocalSystemSid, nullptr, system_, &size);
    }
    bool Own(HANDLE handle) const {
        PSID owner = nullptr;
        rt::LocalMemory<void> security;
        if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                            nullptr, security.Put()) != ERROR_SUCCESS ||
            !owner)
            return false;
        return EqualSid(owner, const_cast<BYTE*>(admins_)) || EqualSid(owner, const_cast<BYTE*>(system_)) ||
               (own_ && EqualSid(owner, own_));
    }

private:
    rt::LocalMemory<void> ownSecurity_;
    PSID own_ = nullptr;
    alignas(DWORD) BYTE admins_[SECURITY_MAX_SID_SIZE] = {};
    alignas(DWORD) BYTE system_[SECURITY_MAX_SID_SIZE] = {};
};

// One folder a killed program left (the system deleted its file with the
// last handle, or could not while the helper still ran): removed only when it
// is a real folder, owned as ours are, holding nothing but plain files.
void RemoveLeftover(HANDLE temp, const std::wstring& tempPath, const std::wstring& name,
                    const Owners& owners) {
    rt::Handle folder;
    const std::wstring path = tempPath + L"\\" + name;
    // Its own program, still running, holds it without sharing deletion: the open fails.
    if (OpenInFolder(temp, name, kFolderAccess, FILE_SHARE_READ, kOpenExisting, kDirectory, nullptr,
                     folder) != 0 ||
        !IsPlainAt(folder.Get(), path, true) || !owners.Own(folder.Get()))
        return;
    // Listed through the held handle: a listing by path would need sharing this one denies.
    alignas(8) uint8_t listing[4096];
    for (auto what = FileFullDirectoryRestartInfo;
         GetFileInformationByHandleEx(folder.Get(), what, listing, sizeof listing);
         what = FileFullDirectoryInfo) {
        for (size_t at = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_FULL_DIR_INFO*>(listing + at);
            const std::wstring child(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            rt::Handle file;
            if (child != L"." && child != L".." &&
                ((entry->FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
                 OpenInFolder(folder.Get(), child, DELETE | FILE_READ_ATTRIBUTES, 0, kOpenExisting,
                              kNotDirectory, nullptr, file) != 0 ||
                 !IsPlainAt(file.Get(), path + L"\\" + child, false) || !DeleteByHandle(file.Get())))
                return;
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
    DeleteByHandle(folder.Get());
}

// Looks at no more than kSweptEntries entries, and stops when told to.
void RemoveLeftovers(HANDLE temp, const std::wstring& tempPath, const std::wstring& own, HANDLE ownFolder,
                     const std::atomic<bool>& stop) {
    const Owners owners(ownFolder);
    WIN32_FIND_DATAW found{};
    const rt::FindHandle search(FindFirstFileW((tempPath + L"\\" + kFolderPrefix + L"*").c_str(), &found));
    if (!search) return;
    int seen = 0;
    do {
        const std::wstring name = found.cFileName;
        if (IsOurFolderName(name) && name != own && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            RemoveLeftover(temp, tempPath, name, owners);
    } while (++seen < kSweptEntries && !stop && FindNextFileW(search.Get(), &found));
}

}  // namespace

std::wstring UnguessableName(const wchar_t* prefix) {
    // RtlGenRandom, bound from the system's DLL.
    using GenRandomFn = BOOLEAN(WINAPI*)(void*, ULONG);
    const HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
    const auto generate = advapi ? reinterpret_cast<GenRandomFn>(
                                       reinterpret_cast<void*>(GetProcAddress(advapi, "SystemFunction036")))
                                 : nullptr;
    uint8_t bytes[kRandomDigits / 2] = {};
    if (!generate || !generate(bytes, sizeof bytes)) return {};
    std::wstring name = prefix;
    for (uint8_t b : bytes) {
        name += L"0123456789ABCDEF"[b >> 4];
        name += L"0123456789ABCDEF"[b & 15];
    }
    return name;
}

HelperFile::~HelperFile() {
    stopSweep_ = true;
    sweep_.Join();
    Remove();
}

DWORD HelperFile::Prepare(std::span<const uint8_t> packed) {
    if (held_) return 0;
    if (packed.empty()) return ERROR_RESOURCE_DATA_NOT_FOUND;
    std::vector<uint8_t> image;
    if (const DWORD unpacked = UnpackImage(packed, image); unpacked != 0) return unpacked;
    rt::Handle temp;
    std::wstring tempPath;
    DWORD error = OpenSystemTemp(temp, tempPath);
    if (error != 0) return error;
    rt::LocalMemory<void> security;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminsOnly, SDDL_REVISION_1, security.Put(),
                                                              nullptr))
        return GetLastError();
    // A name taken already is somebody else's: never opened, another is drawn.
    std::wstring name;
    error = ERROR_ALREADY_EXISTS;
    for (int attempt = 0; attempt < 4 && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS);
         ++attempt) {
        name = UnguessableName(kFolderPrefix);
        if (name.empty()) return ERROR_INTERNAL_ERROR;
        error = OpenInFolder(temp.Get(), name, kFolderAccess, FILE_SHARE_READ, kCreateNew, kDirectory,
                             security.Get(), folder_);
    }
    if (error == 0 && !IsPlainAt(folder_.Get(), tempPath + L"\\" + name, true)) error = ERROR_INVALID_HANDLE;
    if (error == 0) error = WriteAndHold(image);
    if (error != 0) {
        Remove();
        return error;
    }
    // Off the caller's thread: the temporary folder may hold any number of entries.
    sweep_ = rt::Thread([this, temp = std::make_shared<rt::Handle>(std::move(temp)), tempPath, name] {
        try {
            RemoveLeftovers(temp->Get(), tempPath, name, folder_.Get(), stopSweep_);
        } catch (...) {
            // A sweep that cannot go on leaves the rest to the next one.
        }
    });
    return 0;
}

// Written through the handle that made it, then held by one that lets others
// read it (starting a program reads it) and nothing else. The hand-over goes
// through a third handle, since any handle open beside the writer must share
// its writing: the held one opens only once no writer is left, and the bytes
// are compared through it afterwards.
DWORD HelperFile::WriteAndHold(std::span<const uint8_t> image) {
    rt::Handle writer;
    DWORD error = OpenInFolder(folder_.Get(), kFileName, GENERIC_READ | GENERIC_WRITE | DELETE,
                               FILE_SHARE_READ, kCreateNew, kNotDirectory, nullptr, writer);
    if (error != 0) return error;
    DWORD written = 0;
    const bool whole =
        WriteFile(writer.Get(), image.data(), static_cast<DWORD>(image.size()), &written, nullptr) &&
        written == image.size();
    rt::Handle bridge(whole ? ReOpenFile(writer.Get(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0)
                            : nullptr);
    if (!bridge) {
        error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        DeleteByHandle(writer.Get());
        return error;
    }
    writer.Reset();
    // The system deletes it when the last handle goes, even when this program is killed.
    held_.Reset(ReOpenFile(bridge.Get(), GENERIC_READ | DELETE, FILE_SHARE_READ, FILE_FLAG_DELETE_ON_CLOSE));
    if (!held_) return GetLastError();
    bridge.Reset();
    if (!SameBytes(held_.Get(), image)) return ERROR_FILE_CORRUPT;
    path_ = FinalPath(held_.Get());
    return path_.empty() ? GetLastError() : 0;
}

bool HelperFile::IsImageOf(HANDLE process) const {
    std::wstring image(32768, L'\0');
    DWORD size = static_cast<DWORD>(image.size());
    if (!held_ || !QueryFullProcessImageNameW(process, 0, image.data(), &size)) return false;
    image.resize(size);
    const rt::Handle started(CreateFileW(
        image.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return started && SameFile(started.Get(), held_.Get());
}

// Through the handles: no path is looked up again.
void HelperFile::Remove() {
    if (held_) DeleteByHandle(held_.Get());
    held_.Reset();
    if (folder_) DeleteByHandle(folder_.Get());
    folder_.Reset();
    path_.clear();
}

}  // namespace services
