#include "loaddiagnosis.h"

#include <windows.h>

#include <optional>
#include <set>

#include "image/peread.h"
#include "loadersearch.h"
#include "runtime/handles.h"
#include "serverpath.h"

namespace services {
namespace {

// Enough for any real dependency tree; a bound keeps a looping or huge one short.
constexpr size_t kMostFilesRead = 256;
constexpr int kDeepest = 32;

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
            return {ServerFault::NotPe, {}, {}};
        case PeImage::Kind::OtherMachine:
        case PeImage::Kind::X86:
        case PeImage::Kind::X64:
            return {ServerFault::OtherMachine, {}, {}};
        case PeImage::Kind::Damaged:
            return {ServerFault::Damaged, image.damage, {}};
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
            if (problem.kind != ServerFault::None) {
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
            return ApiSetResolves(name) ? LoadProblem{} : LoadProblem{ServerFault::MissingDll, {}, {}};
        // Loaded modules, and whatever they needed, are there already.
        if (GetModuleHandleW(name.c_str())) return {};
        if (!IsBareName(name) || CheckPathForm(name).Fault != ServerFault::None)
            return {ServerFault::Damaged, L"its import table names no file", {}};
        const std::wstring found = FindInFolders(name, folders_);
        if (found.empty()) return {ServerFault::MissingDll, {}, {}};
        LoadProblem problem = Inside(found, depth);
        if (outside_ && problem.kind == ServerFault::None && Lower(FolderOf(found)) != system_)
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
    // A 64-bit server on a 32-bit system is a library for another processor, as its headers say.
    if (server.fault != ServerFault::None && server.fault != ServerFault::Needs64BitWindows)
        return {server.fault, server.faultDetail, {}};
    if (!server.image) return {};
    if (server.image->kind != kLoadableKind) return FromImage(*server.image);
    return DependencyWalk(SearchFolders(FolderOf(server.opened))).Below(*server.image, 0);
}

std::vector<std::wstring> NeededOutsideSystem(const ServerFile& server) {
    std::vector<std::wstring> outside;
    if (!server.image || server.image->kind != kLoadableKind) return {};
    DependencyWalk walk(SearchFolders(FolderOf(server.opened)), &outside);
    if (walk.Below(*server.image, 0).kind != ServerFault::None) outside.clear();
    return outside;
}

}  // namespace services
