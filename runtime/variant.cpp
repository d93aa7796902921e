#include "variant.h"

#include <cmath>
#include <cwctype>

#include "errors.h"
#include "units.h"

namespace rt {
namespace {

const wchar_t kSource[] = L"Variant";

[[noreturn]] void TypeMismatch() { Raise(errnum::TypeMismatch, kSource, L"Type mismatch"); }
[[noreturn]] void Overflow() { Raise(errnum::Overflow, kSource, L"Overflow"); }

bool IsNumeric(const Variant& v) {
    return std::holds_alternative<int16_t>(v) || std::holds_alternative<int32_t>(v) ||
           std::holds_alternative<float>(v) || std::holds_alternative<bool>(v);
}

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

std::wstring Trim(const std::wstring& s) {
    size_t first = 0, last = s.size();
    while (first < last && std::iswspace(s[first])) ++first;
    while (last > first && std::iswspace(s[last - 1])) --last;
    return s.substr(first, last - first);
}

// A numeric text as a double; anything else is a type mismatch.
double ParseNumber(const std::wstring& text) {
    const std::wstring t = Trim(text);
    if (t.empty()) TypeMismatch();
    std::string narrow;
    for (wchar_t c : t) {
        if (c > 0x7F) TypeMismatch();
        narrow.push_back(static_cast<char>(c));
    }
    if (narrow[0] == '+') narrow.erase(0, 1);
    double value = 0;
    const Parsed parsed = ParseDecimal(narrow, value);
    if (parsed == Parsed::OutOfRange) Overflow();
    if (parsed != Parsed::Ok || !std::isfinite(value)) TypeMismatch();
    return value;
}

// Every value that converts to a number, as a double (True is -1).
double NumberOf(const Variant& v) {
    if (std::holds_alternative<std::monostate>(v)) return 0;
    if (auto p = std::get_if<int16_t>(&v)) return *p;
    if (auto p = std::get_if<int32_t>(&v)) return *p;
    if (auto p = std::get_if<float>(&v)) return *p;
    if (auto p = std::get_if<bool>(&v)) return *p ? -1 : 0;
    if (auto p = std::get_if<std::wstring>(&v)) return ParseNumber(*p);
    TypeMismatch();
}

// Fractions round half to even, as every integer conversion of the runtime does.
long long RoundedInRange(const Variant& v, long long low, long long high) {
    const double d = NumberOf(v);
    if (!std::isfinite(d)) Overflow();
    const double r = std::nearbyint(d);
    if (r < static_cast<double>(low) || r > static_cast<double>(high)) Overflow();
    return static_cast<long long>(r);
}

}  // namespace

int16_t ToInteger(const Variant& v) { return static_cast<int16_t>(RoundedInRange(v, -32768, 32767)); }

int32_t ToLong(const Variant& v) {
    return static_cast<int32_t>(RoundedInRange(v, -2147483647LL - 1, 2147483647LL));
}

float ToSingle(const Variant& v) {
    const double d = NumberOf(v);
    if (std::isfinite(d) && std::fabs(d) > 3.4028234663852886e38) Overflow();
    return static_cast<float>(d);
}

bool ToBoolean(const Variant& v) {
    if (auto p = std::get_if<bool>(&v)) return *p;
    if (auto p = std::get_if<std::wstring>(&v)) {
        const std::wstring t = Trim(*p);
        if (EqualsNoCase(t, L"True")) return true;
        if (EqualsNoCase(t, L"False")) return false;
    }
    return NumberOf(v) != 0;
}

std::wstring ToString(const Variant& v) {
    if (std::holds_alternative<std::monostate>(v)) return {};
    if (auto p = std::get_if<std::wstring>(&v)) return *p;
    if (auto p = std::get_if<bool>(&v)) return *p ? L"True" : L"False";
    if (auto p = std::get_if<int16_t>(&v)) return std::to_wstring(*p);
    if (auto p = std::get_if<int32_t>(&v)) return std::to_wstring(*p);
    if (auto p = std::get_if<float>(&v)) return SingleToText(*p);
    TypeMismatch();
}

FontRef ToFont(const Variant& v) {
    if (std::holds_alternative<std::monostate>(v)) return nullptr;
    if (auto p = std::get_if<FontRef>(&v)) return *p;
    TypeMismatch();
}

PictureRef ToPicture(const Variant& v) {
    if (std::holds_alternative<std::monostate>(v)) return nullptr;
    if (auto p = std::get_if<PictureRef>(&v)) return *p;
    TypeMismatch();
}

bool SameValue(const Variant& a, const Variant& b) {
    if (IsNumeric(a) && IsNumeric(b)) return NumberOf(a) == NumberOf(b);
    if (auto sa = std::get_if<std::wstring>(&a)) {
        auto sb = std::get_if<std::wstring>(&b);
        return sb && *sa == *sb;
    }
    if (auto fa = std::get_if<FontRef>(&a)) {
        if (auto fb = std::get_if<FontRef>(&b)) return *fa == *fb;
    }
    if (auto pa = std::get_if<PictureRef>(&a)) {
        if (auto pb = std::get_if<PictureRef>(&b)) return *pa == *pb;
    }
    // Empty and an unset object both mean "nothing".
    return IsNothing(a) && IsNothing(b);
}

bool IsNothing(const Variant& v) {
    if (std::holds_alternative<std::monostate>(v)) return true;
    if (auto f = std::get_if<FontRef>(&v)) return !*f;
    if (auto p = std::get_if<PictureRef>(&v)) return !*p;
    return false;
}

}  // namespace rt
