// Small helpers that cut a fuzzer's bytes into the arguments of the routine under test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

// Aborts with a message when an invariant fails: the fuzzer keeps the input.
#define FUZZ_CHECK(condition) ((condition) ? (void)0 : FuzzFailed(#condition, __FILE__, __LINE__))
[[noreturn]] inline void FuzzFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "check failed: %s (%s:%d)\n", condition, file, line);
    std::abort();
}

// Takes bytes from the front of the input; past its end everything reads as 0.
struct FuzzInput {
    const uint8_t* data;
    size_t size;

    uint8_t Byte() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
    // Up to the next 0xFF byte (or the end), as a text; an embedded 0 ends it early.
    std::string Text() {
        std::string text;
        for (uint8_t c; size > 0 && (c = Byte()) != 0xFF;) text.push_back(static_cast<char>(c));
        return text.c_str();
    }
    // The bytes not yet taken, terminated after the last.
    std::string Rest() const { return std::string(reinterpret_cast<const char*>(data), size); }
};

// `size` bytes copied to the start of a heap block of exactly `capacity` bytes, so that
// the sanitizer catches any access past its end.
inline std::unique_ptr<char[]> ExactBlock(const void* bytes, size_t size, size_t capacity) {
    std::unique_ptr<char[]> block(new char[capacity ? capacity : 1]);
    if (size) std::memcpy(block.get(), bytes, size);
    return block;
}

template <size_t N>
void CheckTerminated(const char (&text)[N]) {
    FUZZ_CHECK(std::memchr(text, '\0', N) != nullptr);
}
