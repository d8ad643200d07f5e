// The test duration: the program's one input.
#pragma once

#include <cstdint>

constexpr int32_t kDefaultTestDuration = 3000;
// Twice the longest duration still fits 32 bits, and no run lasts more than two hours.
constexpr int32_t kMaxTestDuration = 3600000;

// Milliseconds; the benchmarks receive it or twice it.
extern int32_t g_TestDuration;

// The first decimal number in `text`, negative when a '-' stands just before it.
// The digits accumulate in 32 bits and wrap silently.
int32_t ParseLeadingNumber(const char* text);

// The duration a parsed number gives: negative values keep `current`, values above
// kMaxTestDuration are cut to it.
int32_t BoundTestDuration(int32_t parsed, int32_t current);

// Sets g_TestDuration from a command line; an absent or empty one leaves it as it is.
void SetTestDurationFromCommandLine(const char* commandLine);
