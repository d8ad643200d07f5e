// The Whetstone modules: the code whose every operation the score counts as done.
#pragma once

#include <cstdint>

// The module variables of one run. Every member is volatile, so each assignment of a module
// is a store to its variable and each use a load: without that the optimiser drops the
// modules whose results nothing reads (7), shrinks loops whose values repeat to a few
// register moves (4, 6, 9) and folds module 8 to a constant, and the score counts work
// that was never done. A value, not a process-wide variable, so threads can each run one.
struct WhetstoneState {
    volatile double T, T1, T2;
    volatile double E1[5];  // the modules use 1 to 4
    volatile int32_t J, K, L;
    volatile double X1, X2, X3, X4;  // module 1's set-up
    volatile double X, Y, Z;         // modules 7, 8 and 11
};

// Sets the constants a pass starts from.
void StartWhetstonePass(WhetstoneState& s);
// Modules 1 to 11 once, with their counts of `loop` times the module's multiplier.
void RunWhetstoneModules(WhetstoneState& s, int32_t loop);
// One pass of `iterations`: the modules run that many times with the counts of one
// iteration. Each run starts from the same values, so every iteration costs the same: with
// the counts of the whole pass in one run, module 7's angles decay towards zero, where
// sine and cosine cost least, and longer passes scored higher per iteration.
void RunWhetstonePass(WhetstoneState& s, int32_t iterations);

void WhetstonePA(WhetstoneState& s, volatile double* E);
void WhetstoneP0(WhetstoneState& s);
void WhetstoneP3(WhetstoneState& s, double x, double y, volatile double* z);
