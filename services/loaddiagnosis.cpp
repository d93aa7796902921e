#include "loaddiagnosis.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>

#include "peimage.h"
#include "serverpath.h"

namespace services {
namespace {

// Enough for any real dependency tree; a bound keeps a looping or huge one short.
constexpr size_t kMostFilesRead = 256;
constexpr int kDeepest = 32;
constexpr LONGLONG kLargestFile = 512ll << 20;

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestFile) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return false;
    bytes.resize(read);
    return true;
}

std::wstring SystemFolder(UINT(WINAPI* query)(LPWSTR, UINT)) {
    wchar_t folder[MAX_PATH] = {};
    const UINT n = query(folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(folder, n) : std::wstring();
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), n, full.data(), nullptr));
    return full;
}

// Where the loader looks for a DLL named without a folder: `first` (the
// program's folder, or the server's when its own folder is searched first),
// the system folders, the current folder, then the PATH.
std::vector<std::wstring> SearchFolders(const std::wstring& first) {
    const std::wstring windows = SystemFolder(&GetWindowsDirectoryW);
    std::vector<std::wstring> folders = {first, SystemFolder(&GetSystemDirectoryW), windows + L"\\System",
                                         windows, FullPath(L".")};
    const DWORD n = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(n, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), n));
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find(L';', start), path.size());
        if (end > start) folders.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The loader adds ".dll" to a name without an extension.
std::wstring WithDllExtension(const std::wstring& name) {
    const size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos) return name + L".dll";
    if (dot + 1 == name.size()) return name.substr(0, dot);  // a trailing dot means "no extension"
    return name;
}

std::wstring FindInFolders(const std::wstring& name, const std::vector<std::wstring>& folders) {
    for (const std::wstring& folder : folders) {
        if (folder.empty()) continue;
        const std::wstring candidate = folder + (folder.back() == L'\\' ? L"" : L"\\") + name;
        if (IsFile(candidate)) return candidate;
    }
    return {};
}

// Schema names that the loader maps onto real DLLs; there are no such files.
bool IsApiSet(const std::wstring& name) {
    return CompareStringOrdinal(name.substr(0, 4).c_str(), -1, L"api-", -1, TRUE) == CSTR_EQUAL ||
           CompareStringOrdinal(name.substr(0, 4).c_str(), -1, L"ext-", -1, TRUE) == CSTR_EQUAL;
}

LoadProblem FromImage(const PeImage& image) {
    switch (image.kind) {
        case PeImage::Kind::NotPe:
            return {LoadProblem::Kind::NotPe, {}, {}};
        case PeImage::Kind::OtherMachine:
            return {LoadProblem::Kind::OtherMachine, {}, {}};
        case PeImage::Kind::Damaged:
            return {LoadProblem::Kind::Damaged, image.damage, {}};
        default:
            return {};
    }
}

class DependencyWalk {
public:
    explicit DependencyWalk(std::vector<std::wstring> folders) : folders_(std::move(folders)) {}

    // The first fault below the file, depth first in import order, as the loader meets them.
    LoadProblem Below(const PeImage& image, int depth) {
        for (const std::wstring& import : image.imports) {
            LoadProblem problem = Dependency(import, depth);
            if (problem.kind != LoadProblem::Kind::Unknown) {
                problem.chain.insert(problem.chain.begin(), import);
                return problem;
            }
        }
        return {};
    }

private:
    LoadProblem Dependency(const std::wstring& import, int depth) {
        const std::wstring name = WithDllExtension(import);
        if (!seen_.insert(Lower(name)).second || IsApiSet(name)) return {};
        // Loaded modules, and whatever they needed, are there already.
        if (GetModuleHandleW(name.c_str())) return {};
        if (!IsBareName(name) || CheckPathForm(name).Fault != PathFault::None)
            return {LoadProblem::Kind::Damaged, L"its import table names no file", {}};
        const std::wstring found = FindInFolders(name, folders_);
        if (found.empty()) return {LoadProblem::Kind::MissingDll, {}, {}};
        std::vector<uint8_t> bytes;
        if (depth >= kDeepest || seen_.size() > kMostFilesRead || !ReadWholeFile(found, bytes)) return {};
        const PeImage image = ReadPeImage(bytes);
        if (image.kind != PeImage::Kind::X86) return FromImage(image);
        return Below(image, depth + 1);
    }

    static std::wstring Lower(std::wstring text) {
        CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
        return text;
    }

    std::vector<std::wstring> folders_;
    std::set<std::wstring> seen_;
};

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return FolderOf(path.substr(0, n));
        path.resize(path.size() * 2);
    }
}

}  // namespace

LoadProblem ExplainLoadFailure(const std::wstring& path) {
    const PathCheck form = CheckPathForm(path);
    if (form.Fault == PathFault::Device) return {LoadProblem::Kind::Device, {}, {}};
    if (form.Fault == PathFault::Malformed) return {LoadProblem::Kind::Malformed, form.Detail, {}};

    std::wstring file;
    std::wstring firstFolder;
    if (IsBareName(path)) {
        firstFolder = ProgramFolder();
        file = FindInFolders(WithDllExtension(path), SearchFolders(firstFolder));
        if (file.empty()) return {LoadProblem::Kind::NotFound, {}, {}};
    } else {
        file = FullPath(path);
        const DWORD attributes = GetFileAttributesW(file.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return {LoadProblem::Kind::Folder, {}, {}};
        // The loader, too, adds ".dll" to a name without an extension.
        if (attributes == INVALID_FILE_ATTRIBUTES) file = WithDllExtension(file);
        if (!IsFile(file)) return {LoadProblem::Kind::NotFound, {}, {}};
        firstFolder = FolderOf(file);
    }

    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(file, bytes)) return {};
    const PeImage image = ReadPeImage(bytes);
    if (image.kind != PeImage::Kind::X86) return FromImage(image);
    return DependencyWalk(SearchFolders(firstFolder)).Below(image, 0);
}

}  // namespace services
