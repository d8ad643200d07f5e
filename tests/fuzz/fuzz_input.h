// Small helpers that cut a fuzzer's bytes into the arguments of the routine under test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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
        while (size > 0) {
            uint8_t c = Byte();
            if (c == 0xFF) break;
            text.push_back(static_cast<char>(c));
        }
        return text.c_str();
    }
};

// Aborts with a message when an invariant fails: the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                              \
    do {                                                                   \
        if (!(condition)) {                                                \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, \
                         __FILE__, __LINE__);                              \
            std::abort();                                                  \
        }                                                                  \
    } while (0)
