// Replace-all with any texts and any capacity: it stays inside the buffer, keeps the text
// terminated, and with an empty pattern changes nothing.
#include "fuzz_input.h"
#include "text/replace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input{data, size};
    size_t extra = input.Byte() % 64;
    std::string text = input.Text();
    std::string pattern = input.Text();
    std::string replacement = input.Text();

    size_t capacity = text.size() + 1 + extra;
    auto buffer = ExactBlock(text.c_str(), text.size() + 1, capacity);
    ReplaceAll(buffer.get(), capacity, pattern.c_str(), replacement.c_str());

    FUZZ_CHECK(strnlen(buffer.get(), capacity) < capacity);
    if (pattern.empty() || text.find(pattern) == std::string::npos)
        FUZZ_CHECK(buffer.get() == text);
    // Left to right without searching inserted text: where everything fits, the result
    // is the plain string replacement.
    if (pattern.empty()) return 0;
    std::string expected;
    size_t at = 0;
    for (size_t found; (found = text.find(pattern, at)) != std::string::npos;
         at = found + pattern.size())
        expected += text.substr(at, found - at) + replacement;
    expected += text.substr(at);
    if (expected.size() < capacity) FUZZ_CHECK(buffer.get() == expected);
    return 0;
}
