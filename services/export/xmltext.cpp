#include "xmltext.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace services {

std::wstring XmlEscaped(const std::wstring& text) {
    // Line ends and tabs as references, so an attribute keeps them; other control characters cannot stand in XML.
    static const struct {
        wchar_t c;
        const wchar_t* entity;
    } kEntities[] = {{L'<', L"&lt;"},   {L'>', L"&gt;"},    {L'&', L"&amp;"},   {L'"', L"&quot;"},
                     {L'\'', L"&apos;"}, {L'\r', L"&#xD;"}, {L'\n', L"&#xA;"}, {L'\t', L"&#x9;"}};
    std::wstring escaped;
    for (wchar_t c : text) {
        const auto* entity = std::find_if(std::begin(kEntities), std::end(kEntities),
                                          [c](const auto& e) { return e.c == c; });
        if (entity != std::end(kEntities))
            escaped += entity->entity;
        else if (c >= 32)
            escaped += c;
    }
    return escaped;
}

void XmlLines::Open(const wchar_t* name, const XmlAttributes& attributes, bool empty,
                    const wchar_t* keepEmpty) {
    text_ += Indent() + L"<" + name;
    for (const auto& [attribute, value] : attributes)
        if (!value.empty() || (keepEmpty && wcscmp(attribute, keepEmpty) == 0))
            text_ += std::wstring(L" ") + attribute + L"=\"" + XmlEscaped(value) + L"\"";
    text_ += empty ? L"/>\r\n" : L">\r\n";
    if (!empty) ++depth_;
}

void XmlLines::Close(const wchar_t* name) {
    --depth_;
    text_ += Indent() + L"</" + name + L">\r\n";
}

void XmlLines::Element(const wchar_t* name, const std::wstring& text) {
    text_ += Indent() + L"<" + name + L">" + XmlEscaped(text) + L"</" + name + L">\r\n";
}

// "--" cannot stand inside a comment.
void XmlLines::Comment(const std::wstring& text) {
    std::wstring body = XmlEscaped(text);
    for (size_t at; (at = body.find(L"--")) != std::wstring::npos;) body.replace(at, 2, L"- -");
    text_ += Indent() + L"<!-- " + body + L" -->\r\n";
}

}  // namespace services
