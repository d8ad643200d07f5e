# Cross build for 32-bit Windows with MinGW-w64. The -posix variants carry
# std::thread and std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# SSE2 is this build's floor: every file is compiled with -msse2 -mfpmath=sse (the top
# CMakeLists.txt), so doubles round as on Linux and the kernels need no second build for
# older processors. A processor without SSE2 (before the Pentium 4 and the Athlon 64)
# would fault at the first such instruction, so app/win32/sse2_floor.cpp, built without
# SSE, checks CPUID before the programs' own code runs and says why they cannot start:
# a message box from Kelvane.exe, a line on stderr and status 1 from kelvane-cli.exe. One
# build that tells the few such users is simpler than portable code with SSE2 kernels
# chosen at run time, whose figures would then differ between the two paths.

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every test and tool of this build runs under Wine, in a prefix of the build's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
