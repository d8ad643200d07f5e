#include "platform/clock.h"

#include <windows.h>

#include "platform/cpu_instructions.h"

namespace {

class Win32Clock final : public Clock {
public:
    uint32_t TickCount() override { return GetTickCount(); }
    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

    bool CounterFrequency(uint64_t* countsPerSecond) override {
        LARGE_INTEGER frequency;
        frequency.QuadPart = 0;
        BOOL ok = QueryPerformanceFrequency(&frequency);
        if (countsPerSecond) *countsPerSecond = static_cast<uint64_t>(frequency.QuadPart);
        return ok != 0 && frequency.QuadPart != 0;
    }

    uint64_t Counter() override {
        LARGE_INTEGER count;
        count.QuadPart = 0;
        QueryPerformanceCounter(&count);
        return static_cast<uint64_t>(count.QuadPart);
    }

    uint64_t TimeStampCounter() override { return ReadTimeStampCounter(); }

    LocalTime Now() override {
        SYSTEMTIME now;
        GetLocalTime(&now);
        return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    }
};

}  // namespace

Clock& SystemClock() {
    static Win32Clock clock;
    return clock;
}
