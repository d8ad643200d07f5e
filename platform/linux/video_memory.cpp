// The memory of the graphics adapter that drives the primary display, as its driver
// gives it; NVIDIA's management library is loaded only when present.
#include "platform/video_memory.h"

#include "platform/linux/video_adapter.h"

namespace {

class LinuxVideoMemory final : public VideoMemorySource {
  public:
    uint64_t TotalVideoMemory() override { return ReadPrimaryAdapterMemory(SystemNvmlLibrary()); }
};

}  // namespace

VideoMemorySource& SystemVideoMemory() {
    static LinuxVideoMemory source;
    return source;
}
