#include "bench/whetstone.h"

#include <cmath>
#include <cstdio>

WhetstoneState g_Whetstone;

namespace {

// Each loop's counts are LOOP times these; modules 1 and 10 never run.
void RunModules(int32_t loop) {
    WhetstoneState& s = g_Whetstone;
    double* E1 = s.E1;
    const int32_t n2 = 12 * loop, n3 = 14 * loop, n4 = 345 * loop, n6 = 210 * loop, n7 = 32 * loop,
                  n8 = 899 * loop, n9 = 616 * loop, n11 = 93 * loop;
    const double T = s.T, T2 = s.T2;

    // Module 1 sets up values nothing uses.
    volatile double X1 = 1.0, X2 = -1.0, X3 = -1.0, X4 = -1.0;
    (void)X1, (void)X2, (void)X3, (void)X4;

    E1[1] = 1.0;
    E1[2] = E1[3] = E1[4] = -1.0;
    for (int32_t i = 0; i < n2; ++i) {
        E1[1] = (E1[1] + E1[2] + E1[3] - E1[4]) * T;
        E1[2] = (E1[1] + E1[2] - E1[3] + E1[4]) * T;
        E1[3] = (E1[1] - E1[2] + E1[3] + E1[4]) * T;
        E1[4] = (-E1[1] + E1[2] + E1[3] + E1[4]) * T;
    }

    for (int32_t i = 0; i < n3; ++i) WhetstonePA(E1);

    s.J = 1;
    for (int32_t i = 0; i < n4; ++i) {
        s.J = s.J == 1 ? 2 : 3;
        s.J = s.J > 2 ? 0 : 1;
        s.J = s.J < 1 ? 1 : 0;
    }

    s.J = 1, s.K = 2, s.L = 3;
    for (int32_t i = 0; i < n6; ++i) {
        s.J = s.J * (s.K - s.J) * (s.L - s.K);
        s.K = s.L * s.K - (s.L - s.J) * s.K;
        s.L = (s.L - s.K) * (s.K + s.J);
        E1[s.L - 1] = s.J + s.K + s.L;
        E1[s.K - 1] = s.J * s.K * s.L;
    }

    double X = 0.5, Y = 0.5;
    for (int32_t i = 0; i < n7; ++i) {
        X = T * std::atan(T2 * std::sin(X) * std::cos(X) / (std::cos(X + Y) + std::cos(X - Y) - 1.0));
        Y = T * std::atan(T2 * std::sin(Y) * std::cos(Y) / (std::cos(X + Y) + std::cos(X - Y) - 1.0));
    }

    X = 1.0, Y = 1.0;
    double Z = 1.0;
    for (int32_t i = 0; i < n8; ++i) WhetstoneP3(X, Y, &Z);

    s.J = 1, s.K = 2, s.L = 3;
    E1[1] = 1.0, E1[2] = 2.0, E1[3] = 3.0;
    for (int32_t i = 0; i < n9; ++i) WhetstoneP0();

    s.J = 2, s.K = 3;  // module 10 sets up, never runs

    X = 0.75;
    for (int32_t i = 0; i < n11; ++i) X = std::sqrt(std::exp(std::log(X) / s.T1));

    // The results must stay, as the score counts this work as done: E1[0] is otherwise unused.
    E1[0] = X + Y + Z;
}

}  // namespace

void WhetstonePA(double* E) {
    WhetstoneState& s = g_Whetstone;
    s.J = 0;
    do {
        E[1] = (E[1] + E[2] + E[3] - E[4]) * s.T;
        E[2] = (E[1] + E[2] - E[3] + E[4]) * s.T;
        E[3] = (E[1] - E[2] + E[3] + E[4]) * s.T;
        E[4] = (-E[1] + E[2] + E[3] + E[4]) / s.T2;
        s.J = s.J + 1;
    } while (s.J < 6);
}

void WhetstoneP0() {
    WhetstoneState& s = g_Whetstone;
    s.E1[s.J] = s.E1[s.K];
    s.E1[s.K] = s.E1[s.L];
    s.E1[s.L] = s.E1[s.J];
}

void WhetstoneP3(double x, double y, double* z) {
    WhetstoneState& s = g_Whetstone;
    double x1 = s.T * (x + y);
    double y1 = s.T * (x1 + y);
    *z = (x1 + y1) / s.T2;
}

uint32_t WhetstoneScore(int32_t loop, uint32_t elapsedMs, int processors) {
    if (elapsedMs == 0) elapsedMs = 1;
    double w = static_cast<double>(loop) * 100.0 * 1 / elapsedMs;
    uint64_t scaled = static_cast<uint64_t>(static_cast<uint32_t>(static_cast<int64_t>(w))) * 1000 / 170;
    uint64_t p = processors == 8 ? 4 : processors < 0 ? 0 : static_cast<uint64_t>(processors);
    uint64_t score = scaled * p;
    return score > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(score);
}

bool WhetstonePassesEnd(int32_t iterations, uint32_t elapsedMs, uint32_t limitMs) {
    return elapsedMs >= limitMs || iterations >= kWhetstoneMaxIterations;
}

uint32_t RunWhetstone(uint32_t duration, ProgressTarget* progress, int processors, Clock& clock) {
    const uint32_t limit = duration > 3000 ? duration : 3000;
    int32_t n = 1;
    uint32_t elapsed = 0;
    for (;;) {
        if (progress) {
            char text[256];
            std::snprintf(text, sizeof text, "Whetstone %d iterations...\n", n);
            progress->Set(text);
        }
        uint32_t start = clock.TickCount();
        g_Whetstone.T = 0.499975;
        g_Whetstone.T1 = 0.50025;
        g_Whetstone.T2 = 2.0;
        RunModules(n);
        uint32_t finish = clock.TickCount();
        elapsed = finish - start;
        if (WhetstonePassesEnd(n, elapsed, limit)) break;
        n *= 2;
    }
    return WhetstoneScore(n, elapsed, processors);
}
