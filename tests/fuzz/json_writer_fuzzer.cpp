// JSON strings from any bytes: the output is one well-formed JSON string of valid UTF-8.
#include <cctype>
#include <string>

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
    for (size_t i = 1; i + 1 < json.size();) {
        if (s[i] < 0x20 || s[i] == '"') return false;
        if (s[i] == '\\') {
            char e = static_cast<char>(s[i + 1]);
            if (e == 'u') {
                if (i + 6 > json.size() - 1) return false;
                for (int k = 2; k < 6; ++k)
                    if (!std::isxdigit(s[i + k])) return false;
                i += 6;
            } else if (std::string("\"\\/bfnrt").find(e) != std::string::npos && i + 2 <= json.size() - 1) {
                i += 2;
            } else {
                return false;
            }
            continue;
        }
        size_t n = Utf8Length(s + i, json.size() - 1 - i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string json;
    AppendJsonString(json, text.c_str());
    FUZZ_CHECK(IsJsonString(json));
    return 0;
}
