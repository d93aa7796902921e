#include "loaddiagnosis.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>

#include "handles.h"
#include "loadersearch.h"
#include "peimage.h"
#include "serverpath.h"

namespace services {
namespace {

// Enough for any real dependency tree; a bound keeps a looping or huge one short.
constexpr size_t kMostFilesRead = 256;
constexpr int kDeepest = 32;
constexpr uint64_t kPage = 4096;
constexpr size_t kMostPagesKept = 64;

// A file read a page at a time as the header reader asks: the headers and the
// parts of the import directory it follows, never the whole file.
class FilePages : public ByteSource {
public:
    explicit FilePages(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
        LARGE_INTEGER size{};
        if (file_ && GetFileSizeEx(file_.Get(), &size)) size_ = static_cast<uint64_t>(size.QuadPart);
    }
    bool IsOpen() const { return static_cast<bool>(file_); }
    uint64_t Size() const override { return size_; }
    bool Read(uint64_t offset, uint8_t* into, size_t count) override {
        while (count > 0) {
            const std::vector<uint8_t>* page = Page(offset / kPage);
            const size_t at = static_cast<size_t>(offset % kPage);
            if (!page || page->size() <= at) return false;
            const size_t n = std::min(count, page->size() - at);
            std::copy_n(page->begin() + static_cast<ptrdiff_t>(at), n, into);
            into += n;
            offset += n;
            count -= n;
        }
        return true;
    }

private:
    const std::vector<uint8_t>* Page(uint64_t index) {
        if (auto kept = pages_.find(index); kept != pages_.end()) return &kept->second;
        if (pages_.size() >= kMostPagesKept) pages_.clear();
        std::vector<uint8_t> bytes(static_cast<size_t>(kPage));
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(index * kPage);
        at.OffsetHigh = static_cast<DWORD>((index * kPage) >> 32);
        DWORD read = 0;
        if (!ReadFile(file_.Get(), bytes.data(), static_cast<DWORD>(kPage), &read, &at)) return nullptr;
        bytes.resize(read);
        return &(pages_[index] = std::move(bytes));
    }

    rt::Handle file_;
    uint64_t size_ = 0;
    std::map<uint64_t, std::vector<uint8_t>> pages_;
};

// The file's headers (and, `withImports`, its import directory); nullopt when it cannot be opened.
std::optional<PeImage> ReadPeFile(const std::wstring& path, bool withImports) {
    FilePages file(path);
    if (!file.IsOpen()) return std::nullopt;
    return ReadPeImage(file, withImports);
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
    if (const rt::Module module{LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)})
        return true;
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
    // With `outside`, each DLL found outside the system folder is noted there, after what it needs.
    explicit DependencyWalk(std::vector<std::wstring> folders, std::vector<std::wstring>* outside = nullptr)
        : folders_(std::move(folders)), outside_(outside) {}

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
        LoadProblem problem = Inside(found, depth);
        if (outside_ && problem.kind == LoadProblem::Kind::Unknown && Lower(FolderOf(found)) != system_)
            outside_->push_back(found);
        return problem;
    }

    LoadProblem Inside(const std::wstring& file, int depth) {
        if (depth >= kDeepest || seen_.size() > kMostFilesRead) return {};
        const std::optional<PeImage> image = ReadPeFile(file, true);
        if (!image) return {};
        if (image->kind != kLoadableKind) return FromImage(*image);
        return Below(*image, depth + 1);
    }

    static std::wstring Lower(std::wstring text) {
        CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
        return text;
    }

    std::vector<std::wstring> folders_;
    std::vector<std::wstring>* outside_;
    const std::wstring system_ = Lower(FullPath(SystemFolder(&GetSystemDirectoryW)));
    std::set<std::wstring> seen_;
};

}  // namespace

LoadProblem ExplainLoadFailure(const ServerFile& server) {
    switch (server.fault) {
        case ServerFault::None:
        case ServerFault::Needs64BitWindows:  // a library for another processor, as its headers say
            break;
        case ServerFault::NotFound:
            return {LoadProblem::Kind::NotFound, {}, {}};
        case ServerFault::Folder:
            return {LoadProblem::Kind::Folder, {}, {}};
        case ServerFault::Device:
            return {LoadProblem::Kind::Device, {}, {}};
        case ServerFault::Malformed:
            return {LoadProblem::Kind::Malformed, server.faultDetail, {}};
    }
    const std::optional<PeImage> image = ReadPeFile(server.opened, true);
    if (!image) return {};
    if (image->kind != kLoadableKind) return FromImage(*image);
    return DependencyWalk(SearchFolders(FolderOf(server.opened))).Below(*image, 0);
}

std::vector<std::wstring> NeededOutsideSystem(const std::wstring& file) {
    std::vector<std::wstring> outside;
    const std::optional<PeImage> image = ReadPeFile(file, true);
    if (!image || image->kind != kLoadableKind) return {};
    DependencyWalk walk(SearchFolders(FolderOf(file)), &outside);
    if (walk.Below(*image, 0).kind != LoadProblem::Kind::Unknown) outside.clear();
    return outside;
}

PeImage ReadLibrary(const std::wstring& file) {
    return ReadPeFile(file, false).value_or(PeImage{});
}

PeImage::Kind LibraryKind(const std::wstring& file) {
    return ReadLibrary(file).kind;
}

}  // namespace services
