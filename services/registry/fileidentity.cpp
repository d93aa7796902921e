#include "fileidentity.h"

#include "paths/serverpath.h"
#include "runtime/handles.h"

namespace services {

std::optional<FileIdentity> IdentityOf(const std::wstring& path) {
    // Opening a device can block, and a pipe or console is no server anyway.
    if (path.empty() || CheckPathForm(path).Fault != ServerFault::None) return std::nullopt;
    const rt::Handle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.Get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        info.nFileIndexHigh,
                        info.nFileIndexLow,
                        info.nNumberOfLinks,
                        (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                        (static_cast<ULONGLONG>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                            info.ftLastWriteTime.dwLowDateTime};
}

bool IsRemotePath(const std::wstring& path) {
    const auto starts = [&](const wchar_t* prefix) {
        const int n = lstrlenW(prefix);
        return path.size() >= static_cast<size_t>(n) &&
               CompareStringOrdinal(path.c_str(), n, prefix, n, TRUE) == CSTR_EQUAL;
    };
    // \\?\C:\... and \\.\C:\... are local; \\?\UNC\host\... is not.
    if (starts(L"\\\\?\\UNC\\")) return true;
    if (starts(L"\\\\?\\") || starts(L"\\\\.\\")) return false;
    if (starts(L"\\\\")) return true;
    if (path.size() < 2 || path[1] != L':') return false;
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    return GetDriveTypeW(root) == DRIVE_REMOTE;
}

}  // namespace services
