#include "bench/memory_kernel.h"

#include <cstring>

namespace {

// Tells the compiler the block is read here: the first fill of a cycle is overwritten by the
// second before anything reads it, and without this it is removed as a dead store.
inline void KeepWritten(void* block) {
#if defined(__GNUC__)
    asm volatile("" : : "r"(block) : "memory");
#else
    static void* volatile sink;
    sink = block;
#endif
}

}  // namespace

void RunFillCopyCycles(unsigned char* fill, unsigned char* copy, size_t bytes, int cycles, uint32_t* transfers) {
    for (int cycle = 0; cycle < cycles; ++cycle) {
        std::memset(fill, 0x81, bytes);
        KeepWritten(fill);
        fill[0] = static_cast<unsigned char>(*transfers);
        KeepWritten(fill);
        std::memset(fill, 0x18, bytes);
        std::memcpy(copy, fill, bytes);
        KeepWritten(copy);
        *transfers += 3;
    }
}

void RunPlainFillCopy(unsigned char* fill, unsigned char* copy, size_t bytes) {
    std::memset(fill, 0x81, bytes);
    KeepWritten(fill);
    std::memset(fill, 0x18, bytes);
    std::memcpy(copy, fill, bytes);
    KeepWritten(copy);
}
