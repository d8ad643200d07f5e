#include "platform/clock.h"

#include <cerrno>
#include <ctime>

#include "platform/cpu_instructions.h"

namespace {

uint64_t Nanoseconds(clockid_t id) {
    timespec now{};
    clock_gettime(id, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

class LinuxClock final : public Clock {
public:
    uint32_t TickCount() override {
        // Milliseconds since boot, cut to 32 bits to wrap where the Windows tick does.
        return static_cast<uint32_t>(Nanoseconds(CLOCK_MONOTONIC) / 1000000u);
    }

    void Sleep(uint32_t milliseconds) override {
        timespec left{static_cast<time_t>(milliseconds / 1000),
                      static_cast<long>(milliseconds % 1000) * 1000000L};
        while (nanosleep(&left, &left) != 0 && errno == EINTR) {
        }
    }

    // CLOCK_MONOTONIC_RAW is not slewed by NTP, so it is a steady time base for
    // counting processor ticks against.
    bool CounterFrequency(uint64_t* countsPerSecond) override {
        if (countsPerSecond) *countsPerSecond = 1000000000u;
        return true;
    }
    uint64_t Counter() override { return Nanoseconds(CLOCK_MONOTONIC_RAW); }

    uint64_t TimeStampCounter() override { return ReadTimeStampCounter(); }

    LocalTime Now() override {
        time_t seconds = time(nullptr);
        tm parts{};
        localtime_r(&seconds, &parts);
        return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                parts.tm_hour,        parts.tm_min,     parts.tm_sec};
    }
};

}  // namespace

Clock& SystemClock() {
    static LinuxClock clock;
    return clock;
}
