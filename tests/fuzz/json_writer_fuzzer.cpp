// JSON strings from any bytes: the output is one well-formed JSON string of valid UTF-8.
#include <cctype>

#include "fuzz_input.h"
#include "text/json_writer.h"

namespace {

// Length of the UTF-8 sequence at `s`, 0 when it is not valid.
size_t Utf8Length(const unsigned char* s, size_t left) {
    unsigned char c = s[0];
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || n > left || (n == 2 && c < 0xC2)) return 0;
    for (size_t i = 1; i < n; ++i)
        if ((s[i] & 0xC0) != 0x80) return 0;
    return n;
}

bool IsJsonString(const std::string& json) {
    if (json.size() < 2 || json.front() != '"' || json.back() != '"') return false;
    const auto* s = reinterpret_cast<const unsigned char*>(json.data());
    const size_t end = json.size() - 1;  // the closing quote
    for (size_t i = 1; i < end;) {
        if (s[i] < 0x20 || s[i] == '"') return false;
        // An escape: \u and four hex digits, or one of JSON's letters.
        size_t n = s[i] != '\\'                                      ? Utf8Length(s + i, end - i)
                   : s[i + 1] == 'u'                                 ? 6
                   : s[i + 1] && std::strchr("\"\\/bfnrt", s[i + 1]) ? 2
                                                                     : 0;
        if (n == 0 || i + n > end) return false;
        for (size_t k = 2; s[i] == '\\' && k < n; ++k)
            if (!std::isxdigit(s[i + k])) return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string json;
    AppendJsonString(json, FuzzInput{data, size}.Rest().c_str());
    FUZZ_CHECK(IsJsonString(json));
    return 0;
}
