#include "formtext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "errors.h"

namespace rt {
namespace {

constexpr size_t kMaxDepth = 64;  // keeps hostile input from exhausting the stack
const wchar_t kSource[] = L"FormText";
const wchar_t kIndent[] = L"   ";
const wchar_t kNewLine[] = L"\r\n";
const wchar_t kBase64[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

[[noreturn]] void Fail(size_t line, const std::wstring& what) {
    Raise(errnum::InvalidPropertyValue, kSource, L"line " + std::to_wstring(line) + L": " + what);
}

bool IsNameStart(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_'; }
bool IsNameChar(wchar_t c) { return IsNameStart(c) || (c >= L'0' && c <= L'9'); }
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// A name as the format spells it; a type may be qualified with dots.
bool IsName(const std::wstring& s, bool dotted) {
    if (s.empty() || !IsNameStart(s[0])) return false;
    for (wchar_t c : s)
        if (!IsNameChar(c) && !(dotted && c == L'.')) return false;
    return s.back() != L'.';
}

// --- writing ------------------------------------------------------------------

std::wstring Quote(const std::wstring& s) {
    static const wchar_t hex[] = L"0123456789ABCDEF";
    std::wstring out = L"\"";
    for (wchar_t c : s) {
        switch (c) {
            case L'"': out += L"\\\""; break;
            case L'\\': out += L"\\\\"; break;
            case L'\r': out += L"\\r"; break;
            case L'\n': out += L"\\n"; break;
            case L'\t': out += L"\\t"; break;
            default:
                if (c >= 0x20 && c < 0x7F) {
                    out += c;
                } else {  // everything else as its UTF-16 unit, so the file stays ASCII
                    out += L"\\u";
                    for (int shift = 12; shift >= 0; shift -= 4) out += hex[(c >> shift) & 0xF];
                }
        }
    }
    return out + L"\"";
}

std::wstring Base64(const std::vector<uint8_t>& bytes) {
    std::wstring out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        uint32_t v = static_cast<uint32_t>(bytes[i]) << 16;
        if (n > 1) v |= static_cast<uint32_t>(bytes[i + 1]) << 8;
        if (n > 2) v |= bytes[i + 2];
        out += kBase64[(v >> 18) & 63];
        out += kBase64[(v >> 12) & 63];
        out += n > 1 ? kBase64[(v >> 6) & 63] : L'=';
        out += n > 2 ? kBase64[v & 63] : L'=';
    }
    return out;
}

bool FontSizeValid(float size) { return std::isfinite(size) && size > 0; }

const wchar_t* Bool(bool b) { return b ? L"True" : L"False"; }

[[noreturn]] void Unwritable(const std::wstring& what) { Raise(errnum::InvalidPropertyValue, kSource, what); }

std::wstring ValueText(const std::wstring& key, const Variant& value) {
    if (auto p = std::get_if<std::wstring>(&value)) return L"String " + Quote(*p);
    if (auto p = std::get_if<int32_t>(&value)) return L"Long " + std::to_wstring(*p);
    if (auto p = std::get_if<int16_t>(&value)) return L"Integer " + std::to_wstring(*p);
    if (auto p = std::get_if<float>(&value)) return L"Single " + SingleToText(*p);
    if (auto p = std::get_if<bool>(&value)) return std::wstring(L"Boolean ") + Bool(*p);
    if (auto p = std::get_if<FontRef>(&value)) {
        if (!*p) return L"Font None";
        const StdFont& f = **p;
        if (!FontSizeValid(f.Size())) Unwritable(L"the font of " + key + L" has no valid size");
        return L"Font " + Quote(f.Name()) + L" " + SingleToText(f.Size()) + L" " + std::to_wstring(f.Weight()) +
               L" " + std::to_wstring(f.Charset()) + L" " + Bool(f.Italic()) + L" " + Bool(f.Underline()) + L" " +
               Bool(f.Strikethrough());
    }
    if (auto p = std::get_if<PictureRef>(&value)) {
        if (!*p) return L"Picture None";
        const std::vector<uint8_t> bytes = (*p)->Save();
        const PictureType type = (*p)->Type();
        if (bytes.empty() || (type != PictureType::Bitmap && type != PictureType::Icon))
            Unwritable(L"the picture of " + key + L" cannot be stored");
        return std::wstring(L"Picture ") + (type == PictureType::Bitmap ? L"Bitmap " : L"Icon ") + Base64(bytes);
    }
    Unwritable(L"the value of " + key + L" is empty");
}

void WriteObject(const StoredObject& object, size_t depth, std::wstring& out) {
    if (!IsName(object.Type, true) || !IsName(object.Name, false))
        Unwritable(L"\"" + object.Type + L" " + object.Name + L"\" is not a valid type and name");
    if (depth >= kMaxDepth) Unwritable(L"objects nested too deeply");
    std::wstring indent;
    for (size_t i = 0; i < depth; ++i) indent += kIndent;
    out += indent + L"Begin " + object.Type + L" " + object.Name + kNewLine;
    for (const auto& [key, value] : object.Properties.Entries()) {
        if (!IsName(key, false)) Unwritable(L"\"" + key + L"\" is not a valid key");
        out += indent + kIndent + key + L" = " + ValueText(key, value) + kNewLine;
    }
    for (const StoredObject& child : object.Children) WriteObject(child, depth + 1, out);
    out += indent + L"End" + kNewLine;
}

// --- reading ------------------------------------------------------------------

// One line being read, left to right.
class LineReader {
public:
    LineReader(std::wstring_view text, size_t number) : text_(text), line_(number) {}

    size_t Number() const { return line_; }
    [[noreturn]] void Fail(const std::wstring& what) const { rt::Fail(line_, what); }

    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    }
    bool AtEnd() {
        SkipBlanks();
        return pos_ >= text_.size();
    }
    bool Peek(wchar_t c) {
        SkipBlanks();
        return pos_ < text_.size() && text_[pos_] == c;
    }
    void Expect(wchar_t c) {
        if (!Peek(c)) Fail(std::wstring(L"expected ") + c);
        ++pos_;
    }
    void ExpectEnd() {
        if (!AtEnd()) Fail(L"unexpected \"" + std::wstring(text_.substr(pos_)) + L"\" at the end of the line");
    }

    // A run of characters up to the next blank.
    std::wstring Token(const wchar_t* what) {
        SkipBlanks();
        const size_t start = pos_;
        while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
        if (pos_ == start) Fail(std::wstring(L"missing ") + what);
        return std::wstring(text_.substr(start, pos_ - start));
    }

    std::wstring Name(const wchar_t* what, bool dotted) {
        SkipBlanks();
        const size_t start = pos_;
        while (pos_ < text_.size() && (IsNameChar(text_[pos_]) || (dotted && text_[pos_] == L'.'))) ++pos_;
        std::wstring name(text_.substr(start, pos_ - start));
        if (!IsName(name, dotted)) Fail(std::wstring(L"expected ") + what);
        return name;
    }

    std::wstring Quoted() {
        SkipBlanks();
        if (pos_ >= text_.size() || text_[pos_] != L'"') Fail(L"expected a quoted string");
        std::wstring out;
        for (++pos_; pos_ < text_.size(); ++pos_) {
            const wchar_t c = text_[pos_];
            if (c == L'"') {
                ++pos_;
                return out;
            }
            if (c != L'\\') {
                out += c;
                continue;
            }
            if (++pos_ >= text_.size()) break;
            switch (text_[pos_]) {
                case L'"': out += L'"'; break;
                case L'\\': out += L'\\'; break;
                case L'r': out += L'\r'; break;
                case L'n': out += L'\n'; break;
                case L't': out += L'\t'; break;
                case L'u': out += HexUnit(); break;
                default: Fail(L"unknown escape \\" + std::wstring(1, text_[pos_]) + L" in a string");
            }
        }
        Fail(L"unterminated string");
    }

private:
    wchar_t HexUnit() {
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            if (++pos_ >= text_.size()) Fail(L"\\u needs four hex digits");
            const wchar_t c = text_[pos_];
            const int digit = (c >= L'0' && c <= L'9')   ? c - L'0'
                              : (c >= L'A' && c <= L'F') ? c - L'A' + 10
                              : (c >= L'a' && c <= L'f') ? c - L'a' + 10
                                                         : -1;
            if (digit < 0) Fail(L"\\u needs four hex digits");
            value = value * 16 + static_cast<unsigned>(digit);
        }
        return static_cast<wchar_t>(value);
    }

    std::wstring_view text_;
    size_t line_;
    size_t pos_ = 0;
};

std::string Ascii(const std::wstring& token) {
    std::string s;
    for (wchar_t c : token) s.push_back(c > 0 && c < 0x80 ? static_cast<char>(c) : '?');
    return s;
}

long long WholeNumber(LineReader& in, long long low, long long high) {
    const std::wstring token = in.Token(L"a number");
    const std::string s = Ascii(token);
    long long value = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || ptr != s.data() + s.size()) in.Fail(L"bad number \"" + token + L"\"");
    if (value < low || value > high) in.Fail(L"number " + token + L" out of range");
    return value;
}

float SingleNumber(LineReader& in) {
    const std::wstring token = in.Token(L"a number");
    const std::string s = Ascii(token);
    float value = 0;
    if (ParseDecimal(s, value) != Parsed::Ok) in.Fail(L"bad number \"" + token + L"\"");
    return value;
}

bool BooleanWord(LineReader& in) {
    const std::wstring token = in.Token(L"True or False");
    if (token == L"True") return true;
    if (token == L"False") return false;
    in.Fail(L"expected True or False, not \"" + token + L"\"");
}

std::vector<uint8_t> FromBase64(LineReader& in, const std::wstring& text) {
    if (text.size() % 4 != 0) in.Fail(L"bad base64: length is not a multiple of four");
    std::vector<uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        uint32_t v = 0;
        int pad = 0;
        for (size_t j = 0; j < 4; ++j) {
            const wchar_t c = text[i + j];
            int digit = -1;
            if (c == L'=' && i + 4 == text.size() && j >= 2 && (j == 3 || text[i + 3] == L'=')) {
                ++pad;
                digit = 0;
            } else if (pad == 0 && c != L'=') {
                const wchar_t* at = std::char_traits<wchar_t>::find(kBase64, 64, c);
                if (at) digit = static_cast<int>(at - kBase64);
            }
            if (digit < 0) in.Fail(L"bad base64 at character " + std::to_wstring(i + j + 1));
            v = (v << 6) | static_cast<uint32_t>(digit);
        }
        // Padding bits must be zero, so that every picture has one spelling.
        if ((pad == 1 && (v & 0xFF)) || (pad == 2 && (v & 0xFFFF))) in.Fail(L"bad base64 padding");
        out.push_back(static_cast<uint8_t>(v >> 16));
        if (pad < 2) out.push_back(static_cast<uint8_t>(v >> 8));
        if (pad < 1) out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

Variant ReadFont(LineReader& in) {
    if (!in.Peek(L'"')) {
        if (in.Token(L"a font") != L"None") in.Fail(L"expected a quoted font name or None");
        return FontRef{};
    }
    const std::wstring name = in.Quoted();
    const float size = SingleNumber(in);
    if (!FontSizeValid(size)) in.Fail(L"font size out of range");
    auto font = MakeFont(name, size, static_cast<short>(WholeNumber(in, -32768, 32767)));
    font->SetCharset(static_cast<short>(WholeNumber(in, -32768, 32767)));
    font->SetItalic(BooleanWord(in));
    font->SetUnderline(BooleanWord(in));
    font->SetStrikethrough(BooleanWord(in));
    return font;
}

Variant ReadPicture(LineReader& in) {
    const std::wstring kind = in.Token(L"a picture kind");
    if (kind == L"None") return PictureRef{};
    if (kind != L"Bitmap" && kind != L"Icon") in.Fail(L"unknown picture kind \"" + kind + L"\"");
    PictureRef picture = StdPicture::Load(FromBase64(in, in.Token(L"the picture's base64")));
    if (!picture) in.Fail(L"the " + kind + L" does not decode");
    const PictureType expected = kind == L"Bitmap" ? PictureType::Bitmap : PictureType::Icon;
    if (picture->Type() != expected) in.Fail(L"the picture is not a " + kind);
    return picture;
}

Variant ReadValue(LineReader& in) {
    const std::wstring tag = in.Token(L"a type");
    Variant value;
    if (tag == L"String")
        value = in.Quoted();
    else if (tag == L"Long")
        value = static_cast<int32_t>(WholeNumber(in, -2147483647LL - 1, 2147483647LL));
    else if (tag == L"Integer")
        value = static_cast<int16_t>(WholeNumber(in, -32768, 32767));
    else if (tag == L"Single")
        value = SingleNumber(in);
    else if (tag == L"Boolean")
        value = BooleanWord(in);
    else if (tag == L"Font")
        value = ReadFont(in);
    else if (tag == L"Picture")
        value = ReadPicture(in);
    else
        in.Fail(L"unknown type \"" + tag + L"\"");
    in.ExpectEnd();
    return value;
}

struct OpenObject {
    StoredObject object;
    size_t line;
};

class Parser {
public:
    StoredObject Parse(const std::wstring& text) {
        size_t number = 0;
        // A byte-order mark left over from decoding the file is not text.
        size_t start = !text.empty() && text[0] == 0xFEFF ? 1 : 0;
        while (start <= text.size()) {
            size_t end = text.find(L'\n', start);
            if (end == std::wstring::npos) end = text.size();
            std::wstring_view line(text.data() + start, end - start);
            if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
            ReadLine(LineReader(line, ++number));
            start = end + 1;
        }
        if (!open_.empty()) {
            const OpenObject& o = open_.back();
            Fail(o.line, L"Begin " + o.object.Type + L" " + o.object.Name + L" has no End");
        }
        if (!done_) Fail(number, L"no Begin ... End block");
        return std::move(root_);
    }

private:
    void ReadLine(LineReader in) {
        if (in.AtEnd() || in.Peek(L'\'')) return;  // blank or comment
        if (done_) in.Fail(L"text after the last End");
        const std::wstring word = in.Name(L"a key, Begin or End", false);
        if (in.Peek(L'=')) return ReadProperty(in, word);
        if (word == L"Begin") return ReadBegin(in);
        if (word == L"End") return ReadEnd(in);
        in.Fail(L"expected \"key = Type value\", Begin or End");
    }

    void ReadBegin(LineReader& in) {
        if (open_.size() >= kMaxDepth) in.Fail(L"objects nested too deeply");
        OpenObject o{{}, in.Number()};
        o.object.Type = in.Name(L"a type after Begin", true);
        o.object.Name = in.Name(L"a name after the type", false);
        in.ExpectEnd();
        open_.push_back(std::move(o));
    }

    void ReadEnd(LineReader& in) {
        in.ExpectEnd();
        if (open_.empty()) in.Fail(L"End without Begin");
        StoredObject closed = std::move(open_.back().object);
        open_.pop_back();
        if (open_.empty()) {
            root_ = std::move(closed);
            done_ = true;
        } else {
            open_.back().object.Children.push_back(std::move(closed));
        }
    }

    void ReadProperty(LineReader& in, const std::wstring& key) {
        if (open_.empty()) in.Fail(L"property " + key + L" outside Begin ... End");
        in.Expect(L'=');
        Variant value = ReadValue(in);
        PropertyBag& bag = open_.back().object.Properties;
        if (bag.Contains(key)) in.Fail(L"property " + key + L" given twice");
        bag.Set(key, value);
    }

    std::vector<OpenObject> open_;
    StoredObject root_;
    bool done_ = false;
};

}  // namespace

StoredObject ParseFormText(const std::wstring& text) { return Parser().Parse(text); }

std::wstring WriteFormText(const StoredObject& root) {
    std::wstring out;
    WriteObject(root, 0, out);
    return out;
}

}  // namespace rt
