#include "text/json_writer.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "text/decimal.h"

namespace {

// Length of the valid UTF-8 sequence at s (1 to 4), or 0 when it is not one.
int Utf8SequenceLength(const unsigned char* s) {
    unsigned char c = s[0];
    int length;
    uint32_t min;
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) {
        length = 2, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4, min = 0x10000;
    } else {
        return 0;
    }
    uint32_t code = c & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((s[i] & 0xC0) != 0x80) return 0;  // also stops at the terminator
        code = (code << 6) | (s[i] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

void AppendEscape(std::string& out, unsigned code) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", code);
    out += escape;
}

}  // namespace

void AppendJsonString(std::string& out, const char* text) {
    out += '"';
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text ? text : "");
    while (*s) {
        unsigned char c = *s;
        switch (c) {
            case '"':
                out += "\\\"";
                ++s;
                continue;
            case '\\':
                out += "\\\\";
                ++s;
                continue;
            case '\n':
                out += "\\n";
                ++s;
                continue;
            case '\r':
                out += "\\r";
                ++s;
                continue;
            case '\t':
                out += "\\t";
                ++s;
                continue;
            default:
                break;
        }
        if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, c);
            ++s;
            continue;
        }
        int length = Utf8SequenceLength(s);
        if (length == 0) {
            AppendEscape(out, c);
            ++s;
            continue;
        }
        out.append(reinterpret_cast<const char*>(s), static_cast<size_t>(length));
        s += length;
    }
    out += '"';
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (depth_ > 0) {
        if (hasItem_[depth_ - 1]) out_ += ',';
        hasItem_[depth_ - 1] = true;
    }
}

void JsonWriter::Open(char bracket) {
    BeforeValue();
    out_ += bracket;
    if (depth_ < kMaxDepth) hasItem_[depth_] = false;
    ++depth_;
}

void JsonWriter::Close(char bracket) {
    if (depth_ > 0) --depth_;
    out_ += bracket;
}

void JsonWriter::BeginObject() {
    Open('{');
}
void JsonWriter::EndObject() {
    Close('}');
}
void JsonWriter::BeginArray() {
    Open('[');
}
void JsonWriter::EndArray() {
    Close(']');
}

void JsonWriter::Key(const char* key) {
    BeforeValue();
    AppendJsonString(out_, key);
    out_ += ':';
    afterKey_ = true;
}

void JsonWriter::String(const char* text) {
    BeforeValue();
    AppendJsonString(out_, text);
}

void JsonWriter::Number(uint64_t value) {
    BeforeValue();
    char digits[24];
    std::snprintf(digits, sizeof digits, "%" PRIu64, value);
    out_ += digits;
}

void JsonWriter::Number(int64_t value) {
    BeforeValue();
    char digits[24];
    std::snprintf(digits, sizeof digits, "%" PRId64, value);
    out_ += digits;
}

void JsonWriter::Number(double value) {
    BeforeValue();
    if (!std::isfinite(value)) {
        out_ += "null";
        return;
    }
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.15g", value);
    UsePeriodForDecimalPoint(digits);
    out_ += digits;
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    out_ += "null";
}
