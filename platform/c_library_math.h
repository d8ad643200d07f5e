// The C library's double functions where a figure counts their calls.
//
// A MinGW link puts the toolchain's own static sin, cos, log and exp (x87 code, several
// times slower) in front of the system C library's, so a Windows score would measure the
// toolchain, not the machine. On Windows these call msvcrt.dll's functions through their
// import pointers, as a program of the system's own compiler does.
#pragma once

#include <cmath>

// Inlined at every optimisation level, so the kernel's code calls the library itself (and
// its machine-code check sees those calls) in sanitizer and debug builds too.
#if defined(__GNUC__)
#define KELVANE_MATH_INLINE inline __attribute__((always_inline))
#else
#define KELVANE_MATH_INLINE inline
#endif

#if defined(_WIN32)
#if defined(__i386__)
#define KELVANE_CRT_IMPORT(name) "__imp__" #name
#else
#define KELVANE_CRT_IMPORT(name) "__imp_" #name
#endif
extern "C" {
extern double (*const kCrtSin)(double) __asm__(KELVANE_CRT_IMPORT(sin));
extern double (*const kCrtCos)(double) __asm__(KELVANE_CRT_IMPORT(cos));
extern double (*const kCrtAtan)(double) __asm__(KELVANE_CRT_IMPORT(atan));
extern double (*const kCrtLog)(double) __asm__(KELVANE_CRT_IMPORT(log));
extern double (*const kCrtExp)(double) __asm__(KELVANE_CRT_IMPORT(exp));
}
#undef KELVANE_CRT_IMPORT

KELVANE_MATH_INLINE double LibrarySin(double x) {
    return kCrtSin(x);
}
KELVANE_MATH_INLINE double LibraryCos(double x) {
    return kCrtCos(x);
}
KELVANE_MATH_INLINE double LibraryAtan(double x) {
    return kCrtAtan(x);
}
KELVANE_MATH_INLINE double LibraryLog(double x) {
    return kCrtLog(x);
}
KELVANE_MATH_INLINE double LibraryExp(double x) {
    return kCrtExp(x);
}
#else
KELVANE_MATH_INLINE double LibrarySin(double x) {
    return std::sin(x);
}
KELVANE_MATH_INLINE double LibraryCos(double x) {
    return std::cos(x);
}
KELVANE_MATH_INLINE double LibraryAtan(double x) {
    return std::atan(x);
}
KELVANE_MATH_INLINE double LibraryLog(double x) {
    return std::log(x);
}
KELVANE_MATH_INLINE double LibraryExp(double x) {
    return std::exp(x);
}
#endif
