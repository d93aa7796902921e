#include "decimal.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rt {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t Digits(const std::string& s, size_t at) {
    while (at < s.size() && IsDigit(s[at])) ++at;
    return at;
}

bool IsPlainDecimal(const std::string& s) {
    size_t at = !s.empty() && s[0] == '-' ? 1 : 0;
    if (s.compare(at, std::string::npos, "inf") == 0 || s.compare(at, std::string::npos, "nan") == 0)
        return true;
    const size_t whole = Digits(s, at);
    size_t end = whole;
    if (end < s.size() && s[end] == '.') end = Digits(s, end + 1);
    if (end - at - (end > whole ? 1 : 0) == 0) return false;  // no digit at all
    if (end < s.size() && (s[end] == 'e' || s[end] == 'E')) {
        size_t exponent = end + 1;
        if (exponent < s.size() && (s[exponent] == '+' || s[exponent] == '-')) ++exponent;
        end = Digits(s, exponent);
        if (end == exponent) return false;
    }
    return end == s.size();
}

template <class T, class Read>
Parsed ParseWith(const std::string& text, T& value, Read read) {
    if (!IsPlainDecimal(text)) return Parsed::Malformed;
    char* end = nullptr;
    errno = 0;
    const T parsed = read(text.c_str(), &end);
    if (end != text.c_str() + text.size()) return Parsed::Malformed;
    // Too large, or too small for anything but zero; a tiny denormal is fine.
    if (errno == ERANGE && (std::isinf(parsed) || parsed == 0)) return Parsed::OutOfRange;
    value = parsed;
    return Parsed::Ok;
}

// The fewest significant digits that read back as `value` (finite, not
// negative), without trailing zeros, and the power of ten of the first one.
std::string ShortestDigits(float value, int& exponent) {
    char text[32] = {};
    for (int precision = 0; precision < 9; ++precision) {
        std::snprintf(text, sizeof text, "%.*e", precision, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) break;
    }
    const char* e = std::strchr(text, 'e');
    exponent = std::atoi(e + 1);
    std::string digits;
    for (const char* p = text; p < e; ++p)
        if (*p != '.') digits += *p;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    return digits;
}

// A whole number is written with its exact digits, not the shortest ones padded with zeros.
std::string Fixed(float value, const std::string& digits, int exponent) {
    const int n = static_cast<int>(digits.size());
    if (exponent >= n - 1) {
        char whole[48];
        std::snprintf(whole, sizeof whole, "%.0f", static_cast<double>(value));
        return whole;
    }
    if (exponent >= 0) return digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
    return "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
}

std::string Scientific(const std::string& digits, int exponent) {
    char power[8];
    std::snprintf(power, sizeof power, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return digits.substr(0, 1) + (digits.size() > 1 ? "." + digits.substr(1) : "") + power;
}

}  // namespace

std::wstring SingleToText(float value) {
    std::string text = std::signbit(value) ? "-" : "";
    if (std::isnan(value)) {
        text += "nan";
    } else if (std::isinf(value)) {
        text += "inf";
    } else {
        int exponent = 0;
        const std::string digits = ShortestDigits(std::fabs(value), exponent);
        const std::string fixed = Fixed(std::fabs(value), digits, exponent),
                          scientific = Scientific(digits, exponent);
        text += scientific.size() < fixed.size() ? scientific : fixed;
    }
    return std::wstring(text.begin(), text.end());
}

Parsed ParseDecimal(const std::string& text, double& value) {
    return ParseWith(text, value, [](const char* s, char** end) { return std::strtod(s, end); });
}

Parsed ParseDecimal(const std::string& text, float& value) {
    return ParseWith(text, value, [](const char* s, char** end) { return std::strtof(s, end); });
}

}  // namespace rt
