// The test duration from any command line: parsing never reads past the text, and the
// bounded duration always lies between 0 and the longest one.
#include <string>

#include "app/duration.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    int32_t parsed = ParseLeadingNumber(text.c_str());
    int32_t bounded = BoundTestDuration(parsed, kDefaultTestDuration);
    FUZZ_CHECK(bounded >= 0 && bounded <= kMaxTestDuration);
    FUZZ_CHECK(parsed < 0 ? bounded == kDefaultTestDuration : bounded == (parsed > kMaxTestDuration ? kMaxTestDuration : parsed));
    return 0;
}
