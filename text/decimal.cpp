#include "text/decimal.h"

#include <clocale>
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
        UsePeriodForDecimalPoint(work);
        WidenExponent(work, sizeof work);
    } else {
        int precision = count - digits < 15 ? count - digits : 15;
        std::snprintf(work, sizeof work, "%#*.*f", count + 1, precision, x);
        UsePeriodForDecimalPoint(work);
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

void UsePeriodForDecimalPoint(char* text) {
    if (!text) return;
    const char* point = std::localeconv()->decimal_point;
    if (!point || point[0] == '\0' || (point[0] == '.' && point[1] == '\0')) return;
    char* at = std::strstr(text, point);
    if (!at) return;
    // Some locales' separator takes more than one byte (U+066B in UTF-8).
    size_t length = std::strlen(point);
    *at = '.';
    std::memmove(at + 1, at + length, std::strlen(at + length) + 1);
}

double ReadDecimal(const char* text, const char** end) {
    if (end) *end = text;
    if (!text) return 0;
    const char* at = text;
    while (*at == ' ' || (*at >= '\t' && *at <= '\r')) ++at;
    bool negative = *at == '-';
    if (*at == '-' || *at == '+') ++at;

    // Nineteen digits fit 64 bits; later ones only scale the value.
    uint64_t mantissa = 0;
    int significant = 0, scale = 0;
    bool any = false;
    for (; *at >= '0' && *at <= '9'; ++at, any = true) {
        if (significant < 19) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(*at - '0');
            if (mantissa) ++significant;
        } else {
            ++scale;
        }
    }
    if (*at == '.') {
        const char* fraction = at + 1;
        for (at = fraction; *at >= '0' && *at <= '9'; ++at) {
            if (significant < 19) {
                mantissa = mantissa * 10 + static_cast<uint64_t>(*at - '0');
                if (mantissa) ++significant;
                --scale;
            }
        }
        any = any || at > fraction;
        if (!any) return 0;  // a lone point is no number
    }
    if (!any) return 0;
    if (end) *end = at;

    // One rounding for the figures the sources hold (up to 15 digits, 22 decimals): the
    // mantissa and the power of ten are both exact doubles.
    double value = static_cast<double>(mantissa);
    double power = 1.0;
    for (int i = scale < 0 ? -scale : scale; i > 0; --i) power *= 10.0;
    value = scale < 0 ? value / power : value * power;
    return negative ? -value : value;
}

void FormatScaledBytes(uint64_t bytes, uint64_t scale, const char* unit, char* out, size_t size) {
    if (!out || size == 0) return;
    if (scale == 0) scale = 1;
    const unsigned long long whole = bytes / scale;
    const unsigned hundredths = static_cast<unsigned>((bytes % scale) * 100 / scale);
    if (hundredths == 0)
        std::snprintf(out, size, "%llu %s", whole, unit);
    else if (hundredths % 10 == 0)
        std::snprintf(out, size, "%llu.%u %s", whole, hundredths / 10, unit);
    else
        std::snprintf(out, size, "%llu.%02u %s", whole, hundredths, unit);
}
