// A scripted clock: every reading moves time on by a fixed step, so loops that wait
// on the clock end, and a test can start it just before the 32-bit tick wraps.
#pragma once

#include <cstdint>

#include "platform/clock.h"

class FakeClock final : public Clock {
public:
    // Milliseconds the tick moves on per TickCount() reading.
    uint32_t tickStep = 1;
    // Counter counts per second; 0 means the platform has no high-resolution counter.
    uint64_t frequency = 1000000;
    // Counter counts the counter moves on per Counter() reading.
    uint64_t counterStep = 1000;
    // Time-stamp ticks per counter count (a 3 GHz processor on a 1 MHz counter: 3000).
    uint64_t tscPerCount = 3000;
    LocalTime now = {2009, 4, 3, 18, 33, 49};

    // Where time stands, in milliseconds from the start (64 bits: never wraps).
    uint64_t elapsedMs = 0;
    uint32_t tickStart = 0;
    uint64_t counter = 0;
    uint32_t sleptMs = 0;
    int counterReads = 0;
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
        ++counterReads;
        uint64_t value = counter;
        counter += counterStep;
        return value;
    }
    uint64_t TimeStampCounter() override {
        ++timeStampReads;
        return counter * tscPerCount;
    }
    LocalTime Now() override { return now; }

    // Moves every time base on by `milliseconds`.
    void Advance(uint64_t milliseconds) {
        elapsedMs += milliseconds;
        if (frequency) counter += milliseconds * frequency / 1000;
    }
};
