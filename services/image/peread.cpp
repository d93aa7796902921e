#include "peread.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "runtime/handles.h"

namespace services {
namespace {

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

}  // namespace

std::optional<PeImage> ReadPeFile(const std::wstring& path, bool withImports) {
    FilePages file(path);
    if (!file.IsOpen()) return std::nullopt;
    return ReadPeImage(file, withImports);
}

}  // namespace services
