// Total local video memory, 64-bit.
#pragma once

#include <cstdint>

class VideoMemorySource {
public:
    // Bytes, 0 when it cannot be determined.
    virtual uint64_t TotalVideoMemory() = 0;

protected:
    ~VideoMemorySource() = default;
};

VideoMemorySource& SystemVideoMemory();
