// The test duration from any command line: parsing never reads past the text, and the
// bounded duration always lies between 0 and the longest one.
#include <algorithm>

#include "app/duration.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int32_t parsed = ParseLeadingNumber(FuzzInput{data, size}.Rest().c_str());
    int32_t bounded = BoundTestDuration(parsed, kDefaultTestDuration);
    FUZZ_CHECK(bounded >= 0 && bounded <= kMaxTestDuration);
    FUZZ_CHECK(bounded == (parsed < 0 ? kDefaultTestDuration : std::min(parsed, kMaxTestDuration)));
    return 0;
}
