// Text as it goes into an XML attribute or element, and the lines of a
// document, each element set in by its depth.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace services {

// `<`, `&`, quotes and line ends as references; other control characters,
// which XML cannot carry, left out.
std::wstring XmlEscaped(const std::wstring& text);

using XmlAttributes = std::vector<std::pair<const wchar_t*, std::wstring>>;

class XmlLines {
public:
    // `<name a="..." ...>`, or `<name .../>` when `empty`; attributes with an empty value are left out
    // unless `keepEmpty` names them.
    void Open(const wchar_t* name, const XmlAttributes& attributes, bool empty = false,
              const wchar_t* keepEmpty = nullptr);
    void Close(const wchar_t* name);
    void Element(const wchar_t* name, const std::wstring& text);
    void Comment(const std::wstring& text);
    const std::wstring& Text() const { return text_; }

private:
    std::wstring Indent() const { return std::wstring(depth_ * 2, L' '); }
    std::wstring text_ = L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    size_t depth_ = 0;
};

}  // namespace services
