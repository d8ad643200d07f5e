// A scripted clock: every reading moves time on by a fixed step, so loops that wait on the
// clock end, and a test can start it just before the 32-bit tick wraps.
#pragma once

#include "platform/clock.h"

class FakeClock final : public Clock {
  public:
    uint32_t tickStep = 1;         // ms per TickCount() reading
    uint64_t frequency = 1000000;  // counts per second; 0: no high-resolution counter
    uint64_t tscPerCount = 3000;   // a 3 GHz processor on a 1 MHz counter
    uint32_t tickStart = 0, sleptMs = 0;
    uint64_t elapsedMs = 0, counter = 0;  // 64 bits: never wraps
    int timeStampReads = 0;

    uint32_t TickCount() override {
        uint32_t tick = static_cast<uint32_t>(tickStart + elapsedMs);
        Advance(tickStep);
        return tick;
    }
    void Sleep(uint32_t milliseconds) override {
        sleptMs += milliseconds;
        Advance(milliseconds);
    }
    bool CounterFrequency(uint64_t* countsPerSecond) override {
        if (countsPerSecond) *countsPerSecond = frequency;
        return frequency != 0;
    }
    uint64_t Counter() override {
        counter += 1000;  // every reading moves it on
        return counter - 1000;
    }
    uint64_t TimeStampCounter() override {
        ++timeStampReads;
        return counter * tscPerCount;
    }
    LocalTime Now() override { return {2009, 4, 3, 18, 33, 49}; }

    // Moves every time base on by `milliseconds`.
    void Advance(uint64_t milliseconds) {
        elapsedMs += milliseconds;
        if (frequency) counter += milliseconds * frequency / 1000;
    }
};
