#include "serveroutcome.h"

#include <algorithm>
#include <cwchar>

#include "paths/serverpath.h"
#include "paths/serverroad.h"

namespace services {
namespace {

// Every text carries its length, so a cut-short message is recognised.
constexpr uint32_t kMagic = 0x31565354;  // "TSV1"
constexpr uint32_t kMostTexts = 1024;
constexpr uint32_t kLongestText = 32768;
// A request holds the server's record and DllInstall's text: seven texts of
// at most the longest path, a dozen numbers and the DLLs its headers import.
constexpr uint32_t kLongestRequestText = kLongestPath;
constexpr uint32_t kLongestRequest =
    7 * (4 + 2 * kLongestRequestText) + 12 * 4 + kMostImports * (4 + 2 * kLongestDllName);

// The task's switches as the request carries them.
constexpr uint32_t kCallRegistration = 1;
constexpr uint32_t kCallInstall = 2;
constexpr uint32_t kInstallText = 4;
constexpr uint32_t kPreview = 8;

// A name longer than this is cut when the answer is short of room: no box shows more.
constexpr size_t kLongestFittedName = 1024;

class Writer {
public:
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void Text(const std::wstring& text) {
        U32(static_cast<uint32_t>(text.size()));
        for (wchar_t c : text) {
            bytes.push_back(static_cast<uint8_t>(c));
            bytes.push_back(static_cast<uint8_t>(c >> 8));
        }
    }
    std::vector<uint8_t> bytes;
};

class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool U32(uint32_t& v) {
        if (bytes_.size() - at_ < 4) return false;
        v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | bytes_[at_ + i];
        at_ += 4;
        return true;
    }
    bool Long(long& v) {
        uint32_t u = 0;
        if (!U32(u)) return false;
        v = static_cast<long>(static_cast<int32_t>(u));
        return true;
    }
    bool Text(std::wstring& text, uint32_t longest = kLongestText) {
        uint32_t n = 0;
        if (!U32(n) || n > longest || (bytes_.size() - at_) / 2 < n) return false;
        text.resize(n);
        for (uint32_t i = 0; i < n; ++i, at_ += 2)
            text[i] = static_cast<wchar_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
        return true;
    }
    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
};

void EncodePreview(Writer& w, const ServerOutcome::PreviewResult& preview) {
    w.Text(preview.RegText);
    w.U32(preview.Names.view == RegistryView::Bits64 ? 64 : 32);
    w.Text(preview.Names.file);
    w.U32(static_cast<uint32_t>(preview.Names.classes.size()));
    for (const NamedClass& c : preview.Names.classes)
        for (const std::wstring* text : {&c.clsid, &c.progId, &c.name, &c.threadingModel}) w.Text(*text);
    w.U32(static_cast<uint32_t>(preview.Names.typeLibs.size()));
    for (const NamedTypeLib& t : preview.Names.typeLibs)
        for (const std::wstring* text : {&t.libid, &t.version, &t.name}) w.Text(*text);
    w.U32(preview.NamesLeftOut);
}

bool DecodePreview(Reader& r, ServerOutcome::PreviewResult& preview) {
    uint32_t bits = 0, classes = 0, typeLibs = 0;
    if (!r.Text(preview.RegText, kLongestPreviewText) || !r.U32(bits) || (bits != 32 && bits != 64) ||
        !r.Text(preview.Names.file) || !r.U32(classes) || classes > kMostTexts)
        return false;
    preview.Names.view = bits == 64 ? RegistryView::Bits64 : RegistryView::Bits32;
    preview.Names.classes.resize(classes);
    for (NamedClass& c : preview.Names.classes)
        for (std::wstring* text : {&c.clsid, &c.progId, &c.name, &c.threadingModel})
            if (!r.Text(*text)) return false;
    if (!r.U32(typeLibs) || typeLibs > kMostTexts) return false;
    preview.Names.typeLibs.resize(typeLibs);
    for (NamedTypeLib& t : preview.Names.typeLibs)
        for (std::wstring* text : {&t.libid, &t.version, &t.name})
            if (!r.Text(*text)) return false;
    return r.U32(preview.NamesLeftOut);
}

void EncodeImage(Writer& w, const PeImage& image) {
    w.U32(static_cast<uint32_t>(image.kind));
    w.Text(image.damage);
    w.U32(image.clr ? 1 : 0);
    w.U32(static_cast<uint32_t>(image.imports.size()));
    for (const std::wstring& dll : image.imports) w.Text(dll);
}

bool DecodeImage(Reader& r, PeImage& image) {
    uint32_t kind = 0, clr = 0, imports = 0;
    if (!r.U32(kind) || kind > static_cast<uint32_t>(PeImage::Kind::X64) ||
        !r.Text(image.damage, kLongestRequestText) || !r.U32(clr) || clr > 1 || !r.U32(imports) ||
        imports > kMostImports)
        return false;
    image.kind = static_cast<PeImage::Kind>(kind);
    image.clr = clr == 1;
    image.imports.resize(imports);
    for (std::wstring& dll : image.imports)
        if (!r.Text(dll, kLongestDllName)) return false;
    return true;
}

void EncodeServer(Writer& w, const ServerFile& server) {
    for (const std::wstring* text : {&server.given, &server.shown, &server.opened, &server.loaded})
        w.Text(*text);
    w.U32(server.bareName ? 1 : 0);
    w.U32(static_cast<uint32_t>(server.kind));
    w.U32(static_cast<uint32_t>(server.road));
    w.U32(static_cast<uint32_t>(server.fault));
    w.Text(server.faultDetail);
    w.U32(server.image ? 1 : 0);
    if (server.image) EncodeImage(w, *server.image);
}

bool DecodeServer(Reader& r, ServerFile& server) {
    for (std::wstring* text : {&server.given, &server.shown, &server.opened, &server.loaded})
        if (!r.Text(*text, kLongestRequestText)) return false;
    uint32_t bare = 0, kind = 0, road = 0, fault = 0, image = 0;
    if (!r.U32(bare) || bare > 1 || !r.U32(kind) || kind > static_cast<uint32_t>(PeImage::Kind::X64) ||
        !r.U32(road) || road > static_cast<uint32_t>(Road::Needs64BitWindows) || !r.U32(fault) ||
        fault > static_cast<uint32_t>(ServerFault::MissingDll) ||
        !r.Text(server.faultDetail, kLongestRequestText) || !r.U32(image) || image > 1)
        return false;
    server.bareName = bare == 1;
    server.kind = static_cast<PeImage::Kind>(kind);
    server.road = static_cast<Road>(road);
    server.fault = static_cast<ServerFault>(fault);
    return !image || DecodeImage(r, server.image.emplace());
}

// What a helper may be handed: a 64-bit server's file, as HelperRecord makes
// it, by a full path that names no device, its headers read.
bool IsHelperRecord(const ServerFile& server) {
    return server == HelperRecord(server) && !IsBareName(server.loaded) &&
           CheckPathForm(server.loaded).Fault == ServerFault::None && server.kind == PeImage::Kind::X64 &&
           server.image && server.image->kind == PeImage::Kind::X64;
}

// Keeps the first `most` names, classes first as the boxes list them, and counts the rest.
void KeepNames(ServerOutcome::PreviewResult& preview, size_t most) {
    auto& classes = preview.Names.classes;
    auto& typeLibs = preview.Names.typeLibs;
    const size_t keptClasses = std::min(classes.size(), most);
    const size_t keptTypeLibs = std::min(typeLibs.size(), most - keptClasses);
    preview.NamesLeftOut +=
        static_cast<uint32_t>(classes.size() - keptClasses + typeLibs.size() - keptTypeLibs);
    classes.resize(keptClasses);
    typeLibs.resize(keptTypeLibs);
}

void CutNames(RegistryNames& names) {
    const auto cut = [](std::wstring& text) { text.resize(std::min(text.size(), kLongestFittedName)); };
    for (NamedClass& c : names.classes)
        for (std::wstring* text : {&c.clsid, &c.progId, &c.name, &c.threadingModel}) cut(*text);
    for (NamedTypeLib& t : names.typeLibs)
        for (std::wstring* text : {&t.libid, &t.version, &t.name}) cut(*text);
}

}  // namespace

void FitAnswer(ServerOutcome& outcome) {
    if (!outcome.Preview) return;
    ServerOutcome::PreviewResult& preview = *outcome.Preview;
    KeepNames(preview, kMostTexts);
    if (EncodeOutcome(outcome).size() <= kLongestAnswer) return;
    KeepNames(preview, kDetailedNames);
    CutNames(preview.Names);
    const size_t size = EncodeOutcome(outcome).size();
    if (size <= kLongestAnswer) return;
    const size_t over = (size - kLongestAnswer + 1) / 2;  // characters of two bytes
    const size_t longest = preview.RegText.size() - std::min(preview.RegText.size(), over);
    preview.RegText = CutPreviewText(std::move(preview.RegText), longest);
}

std::vector<uint8_t> EncodeRequest(const HelperRequest& request) {
    const ServerTask& task = request.Task;
    Writer w;
    w.U32(0);  // the body's length, once known
    w.U32(task.Registering ? 1 : 0);
    EncodeServer(w, request.Server);
    w.U32((task.RegistrationExport ? kCallRegistration : 0) | (task.Install ? kCallInstall : 0) |
          (task.HasInstallText ? kInstallText : 0) | (task.Preview ? kPreview : 0));
    w.Text(task.InstallText);
    const auto body = static_cast<uint32_t>(w.bytes.size() - kRequestHead);
    for (size_t i = 0; i < kRequestHead; ++i) w.bytes[i] = static_cast<uint8_t>(body >> (8 * i));
    return w.bytes;
}

std::optional<size_t> RequestBodySize(std::span<const uint8_t> head) {
    Reader r(head);
    uint32_t size = 0;
    if (!r.U32(size) || !r.AtEnd() || size > kLongestRequest) return std::nullopt;
    return size;
}

std::optional<HelperRequest> DecodeRequest(std::span<const uint8_t> bytes) {
    if (bytes.size() < kRequestHead ||
        RequestBodySize(bytes.first(kRequestHead)) != bytes.size() - kRequestHead)
        return std::nullopt;
    Reader r(bytes.subspan(kRequestHead));
    HelperRequest request;
    ServerTask& task = request.Task;
    uint32_t registering = 0, switches = 0;
    if (!r.U32(registering) || registering > 1 || !DecodeServer(r, request.Server) ||
        !IsHelperRecord(request.Server) || !r.U32(switches) ||
        switches > (kCallRegistration | kCallInstall | kInstallText | kPreview) ||
        !r.Text(task.InstallText, kLongestRequestText) || !r.AtEnd())
        return std::nullopt;
    task.Registering = registering == 1;
    task.RegistrationExport = switches & kCallRegistration;
    task.Install = switches & kCallInstall;
    task.HasInstallText = switches & kInstallText;
    task.Preview = switches & kPreview;
    return request;
}

std::vector<uint8_t> EncodeOutcome(const ServerOutcome& outcome) {
    Writer w;
    w.U32(kMagic);
    w.U32(outcome.Succeeded ? 1 : 0);
    w.U32(static_cast<uint32_t>(outcome.Err.Number));
    w.Text(outcome.Err.Source);
    w.Text(outcome.Err.Description);
    w.U32(static_cast<uint32_t>(outcome.Err.LastDllError));
    w.U32(static_cast<uint32_t>(outcome.Err.HResult));
    w.U32(static_cast<uint32_t>(outcome.Problem.kind));
    w.Text(outcome.Problem.detail);
    w.U32(static_cast<uint32_t>(outcome.Problem.chain.size()));
    for (const std::wstring& dll : outcome.Problem.chain) w.Text(dll);
    w.Text(outcome.Export);
    w.U32(outcome.Preview ? 1 : 0);
    if (outcome.Preview) EncodePreview(w, *outcome.Preview);
    return w.bytes;
}

std::optional<ServerOutcome> DecodeOutcome(std::span<const uint8_t> bytes) {
    Reader r(bytes);
    ServerOutcome o;
    uint32_t magic = 0, succeeded = 0, lastDllError = 0, kind = 0, links = 0;
    if (!r.U32(magic) || magic != kMagic || !r.U32(succeeded) || succeeded > 1 || !r.Long(o.Err.Number) ||
        !r.Text(o.Err.Source) || !r.Text(o.Err.Description) || !r.U32(lastDllError) ||
        !r.Long(o.Err.HResult) || !r.U32(kind) || kind > static_cast<uint32_t>(ServerFault::MissingDll) ||
        !r.Text(o.Problem.detail) || !r.U32(links) || links > kMostTexts)
        return std::nullopt;
    o.Succeeded = succeeded == 1;
    o.Err.LastDllError = lastDllError;
    o.Problem.kind = static_cast<ServerFault>(kind);
    o.Problem.chain.resize(links);
    for (std::wstring& dll : o.Problem.chain)
        if (!r.Text(dll)) return std::nullopt;
    uint32_t preview = 0;
    if (!r.Text(o.Export) || !r.U32(preview) || preview > 1) return std::nullopt;
    if (preview && !DecodePreview(r, o.Preview.emplace())) return std::nullopt;
    if (!r.AtEnd()) return std::nullopt;
    return o;
}

}  // namespace services
