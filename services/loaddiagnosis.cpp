#include "loaddiagnosis.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>

#include "loadersearch.h"
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

bool StartsWith(const std::wstring& name, const wchar_t* prefix) {
    const int n = lstrlenW(prefix);
    return CompareStringOrdinal(name.substr(0, n).c_str(), -1, prefix, n, TRUE) == CSTR_EQUAL;
}

// Schema names that the loader maps onto real DLLs; there are no such files.
bool IsApiSet(const std::wstring& name) {
    return StartsWith(name, L"api-") || StartsWith(name, L"ext-");
}

// The C runtime's sets come from the Universal C Runtime, which older systems
// lack until it is installed: there, as files in the system folder; on newer
// ones, in the loader's schema. Asking the loader answers for both. Other sets
// are the system's own and taken as there.
bool ApiSetResolves(const std::wstring& name) {
    if (!StartsWith(name, L"api-ms-win-crt-") || GetModuleHandleW(name.c_str())) return true;
    if (HMODULE module = LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        FreeLibrary(module);
        return true;
    }
    return GetLastError() != ERROR_MOD_NOT_FOUND;
}

LoadProblem FromImage(const PeImage& image) {
    switch (image.kind) {
        case PeImage::Kind::NotPe:
            return {LoadProblem::Kind::NotPe, {}, {}};
        case PeImage::Kind::OtherMachine:
        case PeImage::Kind::X86:
        case PeImage::Kind::X64:
            return {LoadProblem::Kind::OtherMachine, {}, {}};
        case PeImage::Kind::Damaged:
            return {LoadProblem::Kind::Damaged, image.damage, {}};
    }
    return {};
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
        if (!seen_.insert(Lower(name)).second) return {};
        if (IsApiSet(name))
            return ApiSetResolves(name) ? LoadProblem{} : LoadProblem{LoadProblem::Kind::MissingDll, {}, {}};
        // Loaded modules, and whatever they needed, are there already.
        if (GetModuleHandleW(name.c_str())) return {};
        if (!IsBareName(name) || CheckPathForm(name).Fault != PathFault::None)
            return {LoadProblem::Kind::Damaged, L"its import table names no file", {}};
        const std::wstring found = FindInFolders(name, folders_);
        if (found.empty()) return {LoadProblem::Kind::MissingDll, {}, {}};
        std::vector<uint8_t> bytes;
        if (depth >= kDeepest || seen_.size() > kMostFilesRead || !ReadWholeFile(found, bytes)) return {};
        const PeImage image = ReadPeImage(bytes);
        if (image.kind != kLoadableKind) return FromImage(image);
        return Below(image, depth + 1);
    }

    static std::wstring Lower(std::wstring text) {
        CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
        return text;
    }

    std::vector<std::wstring> folders_;
    std::set<std::wstring> seen_;
};

}  // namespace

LoadProblem ExplainLoadFailure(const std::wstring& path) {
    const PathCheck form = CheckPathForm(path);
    if (form.Fault == PathFault::Device) return {LoadProblem::Kind::Device, {}, {}};
    if (form.Fault == PathFault::Malformed) return {LoadProblem::Kind::Malformed, form.Detail, {}};

    std::wstring file;
    if (IsBareName(path)) {
        file = FindBareName(path);
        if (file.empty()) return {LoadProblem::Kind::NotFound, {}, {}};
    } else {
        if (IsFolder(FullPath(path))) return {LoadProblem::Kind::Folder, {}, {}};
        file = LoaderPath(path);
        if (!IsFile(file)) return {LoadProblem::Kind::NotFound, {}, {}};
    }

    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(file, bytes)) return {};
    const PeImage image = ReadPeImage(bytes);
    if (image.kind != kLoadableKind) return FromImage(image);
    return DependencyWalk(SearchFolders(FolderOf(file))).Below(image, 0);
}

PeImage ReadLibrary(const std::wstring& file) {
    std::vector<uint8_t> bytes;
    return ReadWholeFile(file, bytes) ? ReadPeImage(bytes) : PeImage{};
}

PeImage::Kind LibraryKind(const std::wstring& file) {
    return ReadLibrary(file).kind;
}

}  // namespace services
