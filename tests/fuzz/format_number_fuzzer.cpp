// Decimal formatting of any double bit pattern, any significant count and any buffer:
// the output fits its documented size and TrimNumber stays inside its capacity.
#include <algorithm>
#include <cmath>

#include "fuzz_input.h"
#include "text/decimal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input{data, size};
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = bits << 8 | input.Byte();
    double x;
    std::memcpy(&x, &bits, sizeof x);
    int significant = static_cast<int8_t>(input.Byte());
    int16_t decimals = static_cast<int16_t>(input.Byte() << 8 | input.Byte());

    double cut = CutToDecimals(x, decimals);
    if (std::isfinite(x)) FUZZ_CHECK(std::fabs(cut) <= std::fabs(x) * (1 + 0x1p-50));

    // Exactly the documented size on the heap, so one byte too many is an overrun.
    auto out = ExactBlock(nullptr, 0, kFormatNumberMax + 1);
    FormatNumber(out.get(), x, significant);
    FUZZ_CHECK(std::strlen(out.get()) <= kFormatNumberMax);

    size_t capacity = input.Byte() % 48 + 1;
    size_t length = std::min(std::strlen(out.get()), capacity - 1);
    auto text = ExactBlock(out.get(), length, capacity);
    text[length] = '\0';
    TrimNumber(text.get(), static_cast<int8_t>(input.Byte()), capacity);
    FUZZ_CHECK(std::strlen(text.get()) < capacity);
    return 0;
}
