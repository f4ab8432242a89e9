#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// How the parameter dialogs write numbers into their edits and read them
// back. Independent of the process locale: the decimal mark is always ".".
namespace sonavue::dialogs {

// value with a fixed number of decimals ("%.3f"), no padding.
std::string FormatFixed(double value, int decimals);

// A signed whole number ("%d").
std::string FormatInteger(std::int64_t value);

// The decimal number at the start of the first maxChars characters of text,
// as the C library reads one: leading blanks, an optional sign, digits with
// an optional point and exponent; whatever follows is ignored. Text that
// does not start with a number, or a value that is not finite, reads as 0.
double ReadLeadingNumber(std::string_view text, std::size_t maxChars);

// The signed whole number at the start of text (leading blanks, an optional
// sign, digits); anything else reads as 0. Values past the int32 range are
// limited to it.
std::int32_t ReadLeadingInteger(std::string_view text);

}  // namespace sonavue::dialogs
