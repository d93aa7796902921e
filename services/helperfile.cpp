#include "helperfile.h"

// The platform headers below build on windows.h.
#include <sddl.h>

#include <cwchar>
#include <vector>

namespace services {
namespace {

// Full control for administrators and the system, nothing for anyone else;
// not inherited from the temporary folder.
const wchar_t kAdminsOnly[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
const wchar_t kFileName[] = L"tessiver64.exe";

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    return n > 0 && n <= MAX_PATH ? std::wstring(folder, n) : std::wstring();
}

std::wstring Hex(uint32_t value) {
    wchar_t text[9];
    wsprintfW(text, L"%08lX", static_cast<unsigned long>(value));
    return text;
}

bool SameBytes(HANDLE file, std::span<const uint8_t> image) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart != static_cast<LONGLONG>(image.size())) return false;
    std::vector<uint8_t> bytes(image.size());
    DWORD read = 0;
    return ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
           read == bytes.size() && std::equal(bytes.begin(), bytes.end(), image.begin());
}

bool Running(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

// What a program that was killed left behind: its helper's folder. A folder
// whose program still runs is left alone (its file is held open anyway).
void RemoveStaleFolders(const std::wstring& temp) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((temp + L"tessiver-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        wchar_t* end = nullptr;
        const unsigned long pid = wcstoul(name.c_str() + 9, &end, 16);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || end != name.c_str() + 17 ||
            *end != L'-' || Running(pid))
            continue;
        const std::wstring folder = temp + name;
        DeleteFileW((folder + L"\\" + kFileName).c_str());
        RemoveDirectoryW(folder.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

HelperFile::~HelperFile() {
    Remove();
}

DWORD HelperFile::Prepare(std::span<const uint8_t> image) {
    if (held_ != INVALID_HANDLE_VALUE) return 0;
    if (image.empty()) return ERROR_RESOURCE_DATA_NOT_FOUND;
    DWORD error = MakeFolder();
    if (error == 0) error = WriteAndHold(image);
    if (error != 0) Remove();
    return error;
}

// A folder of our own making: nobody can have put anything in it beforehand.
DWORD HelperFile::MakeFolder() {
    const std::wstring temp = TempFolder();
    if (temp.empty()) return GetLastError() ? GetLastError() : ERROR_PATH_NOT_FOUND;
    RemoveStaleFolders(temp);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminsOnly, SDDL_REVISION_1,
                                                              &attributes.lpSecurityDescriptor, nullptr))
        return GetLastError();
    DWORD error = ERROR_ALREADY_EXISTS;
    for (uint32_t attempt = 0; attempt < 16 && error == ERROR_ALREADY_EXISTS; ++attempt) {
        const std::wstring folder =
            temp + L"tessiver-" + Hex(GetCurrentProcessId()) + L"-" + Hex(GetTickCount() + attempt);
        if (CreateDirectoryW(folder.c_str(), &attributes)) {
            folder_ = folder;
            error = 0;
        } else {
            error = GetLastError();
        }
    }
    LocalFree(attributes.lpSecurityDescriptor);
    return error;
}

DWORD HelperFile::WriteAndHold(std::span<const uint8_t> image) {
    const std::wstring path = folder_ + L"\\" + kFileName;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    path_ = path;
    DWORD written = 0;
    const bool whole = WriteFile(file, image.data(), static_cast<DWORD>(image.size()), &written, nullptr) &&
                       written == image.size();
    const DWORD error = whole ? 0 : GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    CloseHandle(file);
    if (!whole) return error;
    // Reading is shared (starting the program reads it); writing and deleting are not.
    held_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held_ == INVALID_HANDLE_VALUE) return GetLastError();
    return SameBytes(held_, image) ? 0 : ERROR_FILE_CORRUPT;
}

void HelperFile::Remove() {
    if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
    held_ = INVALID_HANDLE_VALUE;
    if (!path_.empty()) DeleteFileW(path_.c_str());
    if (!folder_.empty()) RemoveDirectoryW(folder_.c_str());
    path_.clear();
    folder_.clear();
}

}  // namespace services
