#include "text/decimal.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "text/bounded_copy.h"

double CutToDecimals(double x, int16_t decimals) {
    if (x == 0.0) return x;
    int magnitude = decimals < 0 ? -static_cast<int>(decimals) : decimals;
    double scale = 1.0;
    for (int i = 0; i < magnitude; ++i) scale *= 10.0;
    double scaled = std::fabs(x) * scale;
    // From about 308 decimals on the scale is infinite; cutting there changes nothing.
    if (std::isinf(scaled)) return x;
    double cut = std::floor(scaled) / scale;
    return x < 0 ? -cut : cut;
}

namespace {

// The Windows runtime prints three exponent digits, glibc and C99 two: widen to three,
// so every build shows the same text.
void WidenExponent(char* text, size_t capacity) {
    char* e = std::strchr(text, 'e');
    if (!e || (e[1] != '+' && e[1] != '-')) return;
    char* digits = e + 2;
    size_t count = std::strlen(digits);
    if (count >= 3) return;
    size_t pad = 3 - count;
    size_t length = std::strlen(text);
    if (length + pad + 1 > capacity) return;
    std::memmove(digits + pad, digits, count + 1);
    std::memset(digits, '0', pad);
}

}  // namespace

void FormatNumber(char* out, double x, int significant) {
    if (!out) return;
    if (x == 0.0) {
        CopyBounded(out, "0", kFormatNumberMax + 1);
        return;
    }
    // log10 of these is no number; printf would spell them differently per runtime.
    if (std::isnan(x)) {
        CopyBounded(out, "nan", kFormatNumberMax + 1);
        return;
    }
    if (std::isinf(x)) {
        CopyBounded(out, x < 0 ? "-inf" : "inf", kFormatNumberMax + 1);
        return;
    }

    char work[81] = {};
    int digits = static_cast<int>(std::log10(std::fabs(x))) + 1;
    int count = significant < 2 ? 2 : significant;
    if (count > kFormatNumberMaxSignificant) count = kFormatNumberMaxSignificant;

    bool exponent = digits > count;
    if (exponent) {
        std::snprintf(work, sizeof work, "%#.*e", count - 1, x);
        WidenExponent(work, sizeof work);
    } else {
        int precision = count - digits < 15 ? count - digits : 15;
        std::snprintf(work, sizeof work, "%#*.*f", count + 1, precision, x);
    }
    CopyBounded(out, work, kFormatNumberMax + 1);
    if (!exponent) TrimNumber(out, 0, kFormatNumberMax + 1);
}

void TrimNumber(char* text, int decimals, size_t capacity) {
    if (!text || capacity == 0 || text[0] == '\0') return;
    size_t length = strnlen(text, capacity);
    if (length == capacity) return;  // not a terminated text within its buffer

    bool point = std::memchr(text, '.', length) != nullptr;
    if (!point && decimals == 0) return;

    if (point) {
        while (length > 0 && text[length - 1] == '0') text[--length] = '\0';
        if (length > 0 && text[length - 1] == '.') {
            text[--length] = '\0';
        } else if (text[0] == '.' && length + 2 <= capacity) {
            std::memmove(text + 1, text, length + 1);
            text[0] = '0';
            ++length;
        }
    }

    if (decimals != 0 && std::memchr(text, '.', length) == nullptr) {
        if (length + 2 > capacity) return;
        text[length++] = '.';
        for (int i = 0; i < decimals && length + 1 < capacity; ++i) text[length++] = '0';
        text[length] = '\0';
    }
}
