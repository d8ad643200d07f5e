#include "app/duration.h"

int32_t g_TestDuration = kDefaultTestDuration;

int32_t ParseLeadingNumber(const char* text) {
    if (!text || text[0] == '\0') return 0;
    const char* at = text;
    while (*at && (*at < '0' || *at > '9')) ++at;
    char sign = at == text ? *at : at[-1];
    // Unsigned, so the wrap on overflow is defined; the bits are then read as signed.
    uint32_t value = 0;
    for (; *at >= '0' && *at <= '9'; ++at) value = value * 10u + static_cast<uint32_t>(*at - '0');
    if (sign == '-') value = 0u - value;
    return static_cast<int32_t>(value);
}

int32_t BoundTestDuration(int32_t parsed, int32_t current) {
    if (parsed < 0) return current;
    return parsed > kMaxTestDuration ? kMaxTestDuration : parsed;
}

void SetTestDurationFromCommandLine(const char* commandLine) {
    if (!commandLine || commandLine[0] == '\0') return;
    g_TestDuration = BoundTestDuration(ParseLeadingNumber(commandLine), g_TestDuration);
}
