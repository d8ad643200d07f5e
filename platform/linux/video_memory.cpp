// The memory of the graphics adapter that drives the primary display, as its driver
// gives it; NVIDIA's management library is loaded only when present.
#include "platform/video_memory.h"

#include <cstring>

#include "platform/linux/video_adapter.h"
#include "platform/system_root.h"

namespace {

class LinuxVideoMemory final : public VideoMemorySource {
  public:
    uint64_t TotalVideoMemory() override {
        // A machine tree stands for another machine: this one's NVIDIA library would
        // answer for the wrong card, so its NVIDIA cards give no figure.
        char root[8];
        bool realRoot = SystemPath("/", root, sizeof root) && std::strcmp(root, "/") == 0;
        return ReadPrimaryAdapterMemory(realRoot ? "libnvidia-ml.so.1" : nullptr);
    }
};

}  // namespace

VideoMemorySource& SystemVideoMemory() {
    static LinuxVideoMemory source;
    return source;
}
