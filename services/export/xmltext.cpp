#include "xmltext.h"

#include <cwchar>

namespace services {

std::wstring XmlEscaped(const std::wstring& text) {
    std::wstring escaped;
    for (wchar_t c : text) {
        switch (c) {
            case L'<':
                escaped += L"&lt;";
                break;
            case L'>':
                escaped += L"&gt;";
                break;
            case L'&':
                escaped += L"&amp;";
                break;
            case L'"':
                escaped += L"&quot;";
                break;
            case L'\'':
                escaped += L"&apos;";
                break;
            case L'\r':
                escaped += L"&#xD;";
                break;
            case L'\n':
                escaped += L"&#xA;";
                break;
            case L'\t':
                escaped += L"&#x9;";
                break;
            default:
                if (c >= 32) escaped += c;
        }
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
