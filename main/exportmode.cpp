#include "exportmode.h"

#include <windows.h>

#include "export/manifest.h"
#include "export/wixfragment.h"
#include "messages.h"
#include "runtime/msgbox.h"
#include "runtime/product.h"

namespace {

bool Bits64(const services::ServerFile& server) {
    return server.kind == services::PeImage::Kind::X64;
}

std::wstring FileName(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

// "a.b.c.d" from the file's version resource, read as data from a file of
// either kind; the default when it has none.
std::wstring FileVersion(const std::wstring& path) {
    const HMODULE file =
        LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const HRSRC found = file ? FindResourceW(file, MAKEINTRESOURCEW(1), RT_VERSION) : nullptr;
    const auto* data = found ? static_cast<const uint8_t*>(LockResource(LoadResource(file, found))) : nullptr;
    // VS_VERSIONINFO: three words and the key "VS_VERSION_INFO", then the fixed part on a 4-byte boundary.
    constexpr DWORD kFixedAt = 40;
    const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(data + kFixedAt);
    std::wstring version = services::AssemblyIdentity{}.Version;
    if (data && SizeofResource(file, found) >= kFixedAt + sizeof *fixed &&
        fixed->dwSignature == VS_FFI_SIGNATURE) {
        wchar_t text[64];
        wsprintfW(text, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                  HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
        version = text;
    }
    if (file) FreeLibrary(file);
    return version;
}

std::vector<services::CapturedKey> Captured(const services::RegistrationOutcome& outcome) {
    return outcome.Preview ? services::ReadCapture(outcome.Preview->RegText)
                           : std::vector<services::CapturedKey>{};
}

std::wstring Manifest(const CommandLine& command, const std::vector<services::ServerFile>& servers,
                      const std::vector<services::RegistrationOutcome>& outcomes, std::wstring& summary) {
    services::AssemblyIdentity identity{command.AssemblyName, FileVersion(servers[0].opened),
                                        Bits64(servers[0])};
    if (identity.Name.empty()) identity.Name = FileName(servers[0].shown);
    std::vector<services::ManifestFile> files;
    size_t classes = 0, libraries = 0;
    for (size_t i = 0; i < servers.size(); ++i) {
        files.push_back({FileName(servers[i].shown), services::ReadComRegistration(Captured(outcomes[i]))});
        classes += files.back().Registration.Classes.size();
        libraries += files.back().Registration.TypeLibs.size();
    }
    summary = msg::ManifestSummary(classes, libraries, files.size());
    return services::ManifestText(identity, files);
}

std::wstring Fragment(const std::vector<services::ServerFile>& servers,
                      const std::vector<services::RegistrationOutcome>& outcomes, std::wstring& summary) {
    std::vector<services::WixServer> components;
    size_t values = 0;
    for (size_t i = 0; i < servers.size(); ++i) {
        const services::ServerFile& s = servers[i];
        components.push_back({FileName(s.shown), s.road == services::Road::Helper ? s.loaded : s.opened,
                              Bits64(s), Captured(outcomes[i])});
        for (const services::CapturedKey& key : components.back().Keys) values += key.Values.size();
    }
    summary = msg::FragmentSummary(components.size(), values);
    return services::WixFragmentText(components);
}

}  // namespace

std::wstring ExportFault(const CommandLine& command, const std::vector<services::ServerFile>& servers) {
    if (command.Export != ExportForm::Manifest) return L"";
    for (const services::ServerFile& server : servers)
        if (Bits64(server) != Bits64(servers[0]))
            return msg::MixedKindsFault(FileName(servers[0].shown), FileName(server.shown));
    return L"";
}

void WriteExport(const CommandLine& command, const std::vector<services::ServerFile>& servers,
                 const std::vector<services::RegistrationOutcome>& outcomes, const Output& out) {
    std::wstring summary;
    const bool manifest = command.Export == ExportForm::Manifest;
    const std::wstring text =
        manifest ? Manifest(command, servers, outcomes, summary) : Fragment(servers, outcomes, summary);
    out.WriteDocument(text);
    if (command.Silent) return;
    rt::MsgBox(msg::ExportDoneText(summary, manifest, out.Redirected()), rt::MsgBoxInformation,
               rt::kProductName);
}
