// Time services of the platform seam.
#pragma once

#include <cstdint>

struct LocalTime {
    int year;
    int month;  // 1..12
    int day;
    int hour;
    int minute;
    int second;
};

// The millisecond tick is 32 bits and wraps after about 49.7 days: callers take
// differences modulo 2^32, never compare absolute readings.
class Clock {
public:
    virtual uint32_t TickCount() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
    // Counts per second of the high-resolution counter; false when there is none.
    virtual bool CounterFrequency(uint64_t* countsPerSecond) = 0;
    virtual uint64_t Counter() = 0;
    // The processor's time-stamp counter; 0 where the instruction is missing.
    virtual uint64_t TimeStampCounter() = 0;
    virtual LocalTime Now() = 0;

protected:
    ~Clock() = default;
};

Clock& SystemClock();
