// Decimal texts of measured figures: cut, print, tidy.
#pragma once

#include <cstddef>
#include <cstdint>

// Longest text FormatNumber writes, without the terminator.
constexpr size_t kFormatNumberMax = 30;
// The most significant digits whose printed form fits FormatNumber's 80-character
// working buffer: "-d." + 72 digits + "e+308" is exactly 80.
constexpr int kFormatNumberMaxSignificant = 73;

// x cut toward zero to |decimals| decimals. Never raised by more than the rounding of
// x * 10^decimals, so 1.15, stored just below itself, keeps its last 5.
double CutToDecimals(double x, int16_t decimals);

// Prints x with at most `significant` significant digits (below 2 counts as 2), drops
// trailing zeros and a dangling point; from 10^significant on, exponent notation with at
// least three exponent digits. `out` must hold kFormatNumberMax + 1 characters.
void FormatNumber(char* out, double x, int significant);

// Tidies a decimal text in place (trailing zeros, dangling point, missing leading zero)
// and extends a whole number with a point and `decimals` zeros. Never writes past
// `capacity` bytes, the terminator included; what does not fit is left out.
void TrimNumber(char* text, int decimals, size_t capacity);

// Replaces the decimal separator of the C library's current locale, which printf writes,
// by '.' in `text`: a toolkit may have switched LC_NUMERIC to the user's locale, and the
// figures must read the same in every one.
void UsePeriodForDecimalPoint(char* text);

// `bytes` in `unit` of `scale` bytes with up to two decimals, cut, trailing zeros dropped:
// "512 MiB", "1.5 GiB", "23.54 GiB". Locale-free, unlike printf's %f.
void FormatScaledBytes(uint64_t bytes, uint64_t scale, const char* unit, char* out, size_t size);

// Reads the decimal number at the start of `text` ("2599.998", " -12", "3.20GHz"): white space,
// an optional sign, digits, an optional '.' and digits; no exponent. The point is '.'
// whatever the locale, unlike strtod's. Returns 0 when no digit comes; `end`, when given,
// is set past the last character read, or to `text` when nothing was read.
double ReadDecimal(const char* text, const char** end = nullptr);
