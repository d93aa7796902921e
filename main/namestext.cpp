// What a box says, below its first line, about what names the file in the
// registry once its export has run.
#include <string>

#include "messages.h"

namespace {

bool IsControl(wchar_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

std::wstring ViewText(services::RegistryView view) {
    return view == services::RegistryView::Bits64 ? L"the 64-bit registry" : L"the 32-bit registry";
}

std::wstring Counted(size_t n, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

// "2 classes and 1 type library" (or joined by `joint`), for what is there.
std::wstring Things(const services::RegistryNames& names, const wchar_t* joint = L" and ") {
    std::wstring text;
    if (!names.classes.empty()) text = Counted(names.classes.size(), L"class", L"classes");
    if (!names.typeLibs.empty())
        text +=
            (text.empty() ? L"" : joint) + Counted(names.typeLibs.size(), L"type library", L"type libraries");
    return text;
}

size_t Total(const services::RegistryNames& names) {
    return names.classes.size() + names.typeLibs.size();
}

// "names" for a single thing, "name" for more.
std::wstring Verb(const services::RegistryNames& names) {
    return Total(names) == 1 ? L"names" : L"name";
}

// Names come from whoever could write them: shown escaped, they start no line.
std::wstring ClassLine(const services::NamedClass& c) {
    std::wstring line = L"class " + c.clsid;
    if (!c.progId.empty())
        line += L" " + c.progId;
    else if (!c.name.empty())
        line += L" \"" + c.name + L"\"";
    return Escaped(line + L" (" + (c.threadingModel.empty() ? L"no ThreadingModel" : c.threadingModel) +
                   L")");
}

std::wstring TypeLibLine(const services::NamedTypeLib& t) {
    return Escaped(L"type library " + t.libid + L" " + t.version + (t.name.empty() ? L"" : L" " + t.name));
}

// One line a name, the first kDetailedNames of them, then how many more
// (`leftOut` more than `names` holds).
std::wstring List(const services::RegistryNames& names, size_t leftOut = 0) {
    std::wstring text;
    size_t listed = 0;
    for (const auto& c : names.classes)
        if (listed++ < services::kDetailedNames) text += L"\r\n" + ClassLine(c);
    for (const auto& t : names.typeLibs)
        if (listed++ < services::kDetailedNames) text += L"\r\n" + TypeLibLine(t);
    listed += leftOut;
    if (listed > services::kDetailedNames)
        text += L"\r\nand " + std::to_wstring(listed - services::kDetailedNames) + L" more.";
    return text;
}

// Values only a hostile hand makes that long: said, never shown.
std::wstring Skipped(const services::RegistryNames& names) {
    if (names.skipped == 0) return {};
    wchar_t text[160];
    wsprintfW(text, L"\r\n%u value%s in the %s-bit registry too long for a path or a name %s not read.",
              static_cast<unsigned>(names.skipped), names.skipped == 1 ? L"" : L"s",
              names.view == services::RegistryView::Bits64 ? L"64" : L"32",
              names.skipped == 1 ? L"was" : L"were");
    return text;
}

std::wstring Nothing(const services::RegistryNames& names, const wchar_t* no) {
    return no + std::wstring(L" class or type library in ") + ViewText(names.view) + L" names this file";
}

}  // namespace

std::wstring Escaped(const std::wstring& text) {
    std::wstring shown;
    shown.reserve(text.size());
    for (wchar_t c : text) {
        if (!IsControl(c)) {
            shown += c;
            continue;
        }
        wchar_t code[8] = {};
        if (c == L'\r' || c == L'\n' || c == L'\t')
            wsprintfW(code, L"\\%c", c == L'\r' ? L'r' : c == L'\n' ? L'n' : L't');
        else
            wsprintfW(code, c <= 0xFF ? L"\\x%02X" : L"\\u%04X", c);
        shown += code;
    }
    return shown;
}

std::wstring PreviewText(const services::RegistrationOutcome& outcome, bool registering) {
    if (!outcome.Preview) return {};
    const services::RegistryNames& names = outcome.Preview->Names;
    const std::wstring file = Escaped(names.file);
    const std::wstring view = ViewText(names.view);
    if (Total(names) + outcome.Preview->NamesLeftOut == 0)
        return registering
                   ? file + L" would register no class or type library in " + view + L"."
                   : L"Unregistering " + file + L" would delete no class or type library from " + view + L".";
    return (registering ? file + L" would be registered in " + view + L":"
                        : L"Unregistering " + file + L" would delete from " + view + L":") +
           List(names, outcome.Preview->NamesLeftOut);
}

bool RegistryNamesWarn(const services::RegistrationOutcome& outcome, bool registering) {
    return outcome.Succeeded && outcome.Names && (Total(*outcome.Names) == 0) == registering;
}

namespace {

std::wstring NamesText(const services::RegistrationOutcome& outcome, bool registering) {
    const services::RegistryNames& names = *outcome.Names;
    const std::wstring view = ViewText(names.view);
    const std::wstring file = Escaped(names.file);
    if (Total(names) == 0) {
        if (!outcome.Succeeded) return {};
        return registering ? L"But " + Nothing(names, L"no") + L"." : Nothing(names, L"No") + L" now.";
    }
    if (!outcome.Succeeded)
        return Things(names) + L" in " + view + L" " + Verb(names) + L" this file now:" + List(names);
    if (registering) return file + L" is registered in " + view + L":" + List(names);
    return L"But " + Things(names) + L" in " + view + L" still " + Verb(names) + L" this file:" + List(names);
}

}  // namespace

std::wstring RegistryNamesText(const services::RegistrationOutcome& outcome, bool registering) {
    if (!outcome.Names) return {};
    const std::wstring text = NamesText(outcome, registering);
    return text.empty() ? text : text + Skipped(*outcome.Names);
}

std::wstring RegistryNamesLine(const services::RegistrationOutcome& outcome, bool registering) {
    if (!outcome.Names) return {};
    const services::RegistryNames& names = *outcome.Names;
    if (Total(names) > 0 && (registering || !outcome.Succeeded))
        return L"In " + ViewText(names.view) + L": " + Things(names, L", ") + L".";
    const std::wstring text = NamesText(outcome, registering);
    // The warning's sentence, without its list: the whole box lists no names.
    const size_t list = text.find(L":\r\n");
    return list == std::wstring::npos ? text : text.substr(0, list) + L".";
}
