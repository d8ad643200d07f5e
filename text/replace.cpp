#include "text/replace.h"

#include <cstring>

void ReplaceAll(char* text, size_t capacity, const char* pattern, const char* replacement) {
    if (!text || !pattern || pattern[0] == '\0' || capacity == 0) return;
    if (!replacement) replacement = "";
    size_t length = strnlen(text, capacity);
    if (length == capacity) return;  // no terminator inside the buffer: not a text

    const size_t patternLength = std::strlen(pattern);
    const size_t replacementLength = std::strlen(replacement);
    char* at = std::strstr(text, pattern);
    while (at) {
        if (replacementLength > patternLength &&
            length + (replacementLength - patternLength) + 1 > capacity) {
            return;
        }
        size_t offset = static_cast<size_t>(at - text);
        // The tail, terminator included, moves to just after the replacement.
        std::memmove(at + replacementLength, at + patternLength,
                     length - offset - patternLength + 1);
        // Into the middle of the text: the terminator is already in place.
        std::memcpy(at, replacement, replacementLength);  // NOLINT(bugprone-not-null-terminated-result)
        length = length - patternLength + replacementLength;
        at = std::strstr(at + replacementLength, pattern);
    }
}

void ReplaceTabs(char* text) {
    if (!text) return;
    for (char* c = text; *c; ++c) {
        if (*c == '\t') *c = ' ';
    }
}
