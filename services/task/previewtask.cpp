#include "previewtask.h"

#include <algorithm>
#include <atomic>
#include <cwctype>

#include "call/reg.h"
#include "outcome/failure.h"
#include "preview/preview.h"
#include "preview/previewnames.h"
#include "registry/regtext.h"

namespace services {
namespace {

// A ProgID's kind of name: at most 39 letters, digits, dots and underscores, not starting
// with a digit or a dot, with a dot in it. No key the classes' own layout
// names (CLSID, TypeLib, Interface, an extension) is one.
bool ProgIdName(const std::wstring& name) {
    const auto allowed = [](wchar_t c) { return iswalnum(c) || c == L'.' || c == L'_'; };
    return !name.empty() && name.size() <= 39 && !iswdigit(name[0]) && name[0] != L'.' &&
           name.find(L'.') != std::wstring::npos && std::all_of(name.begin(), name.end(), allowed);
}

// The ProgIDs a class names whose keys lead back to it.
void AddProgIds(const std::wstring& clsid, std::vector<std::wstring>& keys) {
    for (const wchar_t* progId : {L"ProgID", L"VersionIndependentProgID"}) {
        const auto name = ReadRegText(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\" + progId);
        if (!name || !ProgIdName(name->text)) continue;
        const auto back = ReadRegText(HKEY_CLASSES_ROOT, name->text + L"\\CLSID");
        if (back && SameRegName(back->text, clsid)) keys.push_back(name->text);
    }
}

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
        keys.push_back(L"CLSID\\" + c.clsid);
        AddProgIds(c.clsid, keys);
    }
    for (const NamedTypeLib& t : names.typeLibs) keys.push_back(L"TypeLib\\" + t.libid);
    return keys;
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
            outcome.Err = {failure::PreviewUnavailable, kSource, L"", static_cast<unsigned long>(error), 0};
            return outcome;
        }
        outcome = RunTask(server, plain, before);
        diff = preview.Finish();
    }
    outcome.Preview =
        ServerOutcome::PreviewResult{CutPreviewText(PreviewRegText(diff), kLongestPreviewText),
                                     NamesInPreview(task.Registering ? diff.Written : diff.Removed, view,
                                                    target ? target->shown : server.given)};
    return outcome;
}

}  // namespace services
