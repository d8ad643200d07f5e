// Replace-all with any texts and any capacity: it stays inside the buffer, keeps the text
// terminated, and with an empty pattern changes nothing.
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_input.h"
#include "text/replace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input{data, size};
    size_t extra = input.Byte() % 64;
    std::string text = input.Text();
    std::string pattern = input.Text();
    std::string replacement = input.Text();

    size_t capacity = text.size() + 1 + extra;
    std::unique_ptr<char[]> buffer(new char[capacity]);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    ReplaceAll(buffer.get(), capacity, pattern.c_str(), replacement.c_str());

    size_t length = strnlen(buffer.get(), capacity);
    FUZZ_CHECK(length < capacity);
    if (pattern.empty() || text.find(pattern) == std::string::npos) FUZZ_CHECK(buffer.get() == text);
    // Left to right without searching inserted text: where everything fits, the result
    // is the plain string replacement.
    std::string expected;
    size_t at = 0;
    if (!pattern.empty()) {
        for (size_t found; (found = text.find(pattern, at)) != std::string::npos; at = found + pattern.size())
            expected += text.substr(at, found - at) + replacement;
    }
    expected += text.substr(at);
    if (expected.size() < capacity && !pattern.empty()) FUZZ_CHECK(buffer.get() == expected);
    return 0;
}
