#include "bench/whetstone_kernel.h"

#include <cmath>

#include "platform/c_library_math.h"

void StartWhetstonePass(WhetstoneState& s) {
    s.T = 0.499975;
    s.T1 = 0.50025;
    s.T2 = 2.0;
}

void WhetstonePA(WhetstoneState& s, volatile double* E) {
    s.J = 0;
    do {
        E[1] = (E[1] + E[2] + E[3] - E[4]) * s.T;
        E[2] = (E[1] + E[2] - E[3] + E[4]) * s.T;
        E[3] = (E[1] - E[2] + E[3] + E[4]) * s.T;
        E[4] = (-E[1] + E[2] + E[3] + E[4]) / s.T2;
        s.J = s.J + 1;
    } while (s.J < 6);
}

void WhetstoneP0(WhetstoneState& s) {
    s.E1[s.J] = s.E1[s.K];
    s.E1[s.K] = s.E1[s.L];
    s.E1[s.L] = s.E1[s.J];
}

void WhetstoneP3(WhetstoneState& s, double x, double y, volatile double* z) {
    double x1 = s.T * (x + y);
    double y1 = s.T * (x1 + y);
    *z = (x1 + y1) / s.T2;
}

void RunWhetstoneModules(WhetstoneState& s, int32_t loop) {
    // Module counts; modules 1 and 10 have none.
    const int32_t n2 = 12 * loop, n3 = 14 * loop, n4 = 345 * loop, n6 = 210 * loop, n7 = 32 * loop,
                  n8 = 899 * loop, n9 = 616 * loop, n11 = 93 * loop;
    volatile double* E1 = s.E1;

    s.X1 = 1.0;
    s.X2 = -1.0;
    s.X3 = -1.0;
    s.X4 = -1.0;

    E1[1] = 1.0;
    E1[2] = -1.0;
    E1[3] = -1.0;
    E1[4] = -1.0;
    for (int32_t i = 0; i < n2; ++i) {
        E1[1] = (E1[1] + E1[2] + E1[3] - E1[4]) * s.T;
        E1[2] = (E1[1] + E1[2] - E1[3] + E1[4]) * s.T;
        E1[3] = (E1[1] - E1[2] + E1[3] + E1[4]) * s.T;
        E1[4] = (-E1[1] + E1[2] + E1[3] + E1[4]) * s.T;
    }

    for (int32_t i = 0; i < n3; ++i) WhetstonePA(s, E1);

    s.J = 1;
    for (int32_t i = 0; i < n4; ++i) {
        s.J = s.J == 1 ? 2 : 3;
        s.J = s.J > 2 ? 0 : 1;
        s.J = s.J < 1 ? 1 : 0;
    }

    s.J = 1;
    s.K = 2;
    s.L = 3;
    for (int32_t i = 0; i < n6; ++i) {
        s.J = s.J * (s.K - s.J) * (s.L - s.K);
        s.K = s.L * s.K - (s.L - s.J) * s.K;
        s.L = (s.L - s.K) * (s.K + s.J);
        E1[s.L - 1] = s.J + s.K + s.L;
        E1[s.K - 1] = s.J * s.K * s.L;
    }

    // Each use of X and Y is its own load, so sin and cos of one value are not merged
    // into one call either.
    s.X = 0.5;
    s.Y = 0.5;
    for (int32_t i = 0; i < n7; ++i) {
        s.X = s.T * LibraryAtan(s.T2 * LibrarySin(s.X) * LibraryCos(s.X) /
                                (LibraryCos(s.X + s.Y) + LibraryCos(s.X - s.Y) - 1.0));
        s.Y = s.T * LibraryAtan(s.T2 * LibrarySin(s.Y) * LibraryCos(s.Y) /
                                (LibraryCos(s.X + s.Y) + LibraryCos(s.X - s.Y) - 1.0));
    }

    // X and Y never change here; their loads keep the call from being hoisted out of the loop.
    s.X = 1.0;
    s.Y = 1.0;
    s.Z = 1.0;
    for (int32_t i = 0; i < n8; ++i) WhetstoneP3(s, s.X, s.Y, &s.Z);

    s.J = 1;
    s.K = 2;
    s.L = 3;
    E1[1] = 1.0;
    E1[2] = 2.0;
    E1[3] = 3.0;
    for (int32_t i = 0; i < n9; ++i) WhetstoneP0(s);

    // Module 10 sets up and never runs.
    s.J = 2;
    s.K = 3;

    s.X = 0.75;
    for (int32_t i = 0; i < n11; ++i) s.X = std::sqrt(LibraryExp(LibraryLog(s.X) / s.T1));
}

void RunWhetstonePass(WhetstoneState& s, int32_t iterations) {
    for (int32_t i = 0; i < iterations; ++i) RunWhetstoneModules(s, 1);
}
