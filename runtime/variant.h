// Values kept in property bags: the seven stored types and their conversions.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "decimal.h"
#include "font.h"
#include "picture.h"

namespace rt {

// Empty (absent), 16-bit integer, 32-bit integer, single, boolean, string, font, picture.
using Variant = std::variant<std::monostate, int16_t, int32_t, float, bool, std::wstring, FontRef, PictureRef>;

// Conversions as the bag applies them when reading. A value that cannot be
// converted raises run-time error 13 "Type mismatch"; a number out of range, 6 "Overflow".
int16_t ToInteger(const Variant& v);
int32_t ToLong(const Variant& v);
float ToSingle(const Variant& v);
bool ToBoolean(const Variant& v);
std::wstring ToString(const Variant& v);
FontRef ToFont(const Variant& v);
PictureRef ToPicture(const Variant& v);

// Equality as WriteProperty compares a value with its default: numbers and
// booleans by value across types, strings exactly, objects by reference.
bool SameValue(const Variant& a, const Variant& b);

// True for an empty value and for an unset font or picture.
bool IsNothing(const Variant& v);

}  // namespace rt
