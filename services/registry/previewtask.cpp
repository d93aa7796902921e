#include "previewtask.h"

#include <atomic>

#include "preview.h"
#include "previewnames.h"
#include "reg.h"
#include "regtext.h"

namespace services {
namespace {

const wchar_t kCutShort[] = L"\r\n; ... cut short here: the rest is longer than the program can carry.\r\n";

// What an unregistration can take out: the classes and type libraries that
// name the file now, with the ProgIDs of those classes.
std::vector<std::wstring> KeysNamingFile(const NamesTarget& target) {
    const std::optional<TargetFacts> facts = FactsOf(target);
    if (!facts) return {};
    ViewIndexes indexes(target.view);
    const std::atomic<bool> cancel{false};
    if (!indexes.Refresh(cancel)) return {};
    const RegistryNames names = indexes.Collect(target, *facts);
    std::vector<std::wstring> keys;
    for (const NamedClass& c : names.classes) {
        const std::wstring key = L"CLSID\\" + c.clsid;
        keys.push_back(key);
        for (const wchar_t* progId : {L"ProgID", L"VersionIndependentProgID"})
            if (const auto name = ReadRegText(HKEY_CLASSES_ROOT, key + L"\\" + progId);
                name && !name->text.empty())
                keys.push_back(name->text);
    }
    for (const NamedTypeLib& t : names.typeLibs) keys.push_back(L"TypeLib\\" + t.libid);
    return keys;
}

std::wstring CutShort(std::wstring text) {
    if (text.size() <= kLongestPreviewText) return text;
    text.resize(kLongestPreviewText - wcslen(kCutShort));
    const size_t line = text.rfind(L"\r\n");
    if (line != std::wstring::npos) text.resize(line);
    return text + kCutShort;
}

}  // namespace

ServerOutcome RunPreview(const ServerFile& server, const ServerTask& task, const BeforeExport& before) {
    const std::optional<NamesTarget> target = TargetOf(server);
    const RegistryView view = sizeof(void*) == 8 ? RegistryView::Bits64 : RegistryView::Bits32;
    ServerTask plain = task;
    plain.Preview = false;
    ServerOutcome outcome;
    RegDiff diff;
    {
        RegistryPreview preview(!task.Registering && target ? KeysNamingFile(*target)
                                                            : std::vector<std::wstring>{});
        if (const LONG error = preview.Error()) {
            outcome.Err = {rt::errnum::PreviewUnavailable, kSource, L"", static_cast<unsigned long>(error),
                           0};
            return outcome;
        }
        outcome = RunTask(server, plain, before);
        diff = preview.Finish();
    }
    outcome.Preview = ServerOutcome::PreviewResult{
        CutShort(PreviewRegText(diff)), NamesInPreview(task.Registering ? diff.Written : diff.Removed, view,
                                                       target ? target->shown : server.given)};
    return outcome;
}

}  // namespace services
