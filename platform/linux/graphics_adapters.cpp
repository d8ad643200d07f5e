// Every DRM card with a device, named from the system's PCI ID database where it has one.
#include "platform/graphics_adapters.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/linux/read_file.h"
#include "platform/linux/video_adapter.h"
#include "sysinfo/pci_ids.h"

namespace {

// Where distributions install the database; the first found is read.
const char* const kPciIdsFiles[] = {"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids"};

const size_t kBlockSize = 64 * 1024;
// The database is under 2 MiB; a tree's file that never ends (a device) is not read on.
const size_t kMostBlocks = 256;

// Streams the database through the queries, stopping once they are all answered or
// behind: the database is sorted by vendor, so most reads end well before its end. Read in
// blocks, each line cut out in place: a line-by-line read costs twice as much.
void LookUpPciNames(PciIdsQuery* queries, int count) {
    if (count == 0) return;
    std::FILE* file = nullptr;
    for (const char* name : kPciIdsFiles) {
        int fd = OpenSystemFile(name);
        if (fd >= 0 && (file = fdopen(fd, "rb"))) break;
        if (fd >= 0) close(fd);
    }
    if (!file) return;
    std::unique_ptr<char[]> block(new char[kBlockSize + 1]);
    size_t held = 0;
    bool skipping = false;  // inside a line longer than a block, which is never a record
    bool open = true;
    for (size_t blocks = 0; open && blocks < kMostBlocks; ++blocks) {
        size_t got = std::fread(block.get() + held, 1, kBlockSize - held, file);
        held += got;
        if (held == 0) break;
        bool last = got == 0 || std::feof(file);
        char* line = block.get();
        char* end = block.get() + held;
        while (open && line < end) {
            char* newline =
                static_cast<char*>(std::memchr(line, '\n', static_cast<size_t>(end - line)));
            if (!newline && !last) break;  // completed by the next block
            char* stop = newline ? newline : end;
            *stop = '\0';
            if (!skipping) open = FeedPciIdsLine(line, queries, count);
            skipping = false;
            line = stop + 1;
        }
        if (last || !open) break;
        held = static_cast<size_t>(end - line);
        if (held == kBlockSize) {  // one line fills the block: drop it
            held = 0;
            skipping = true;
        }
        std::memmove(block.get(), line, held);
    }
    std::fclose(file);
}

// A card without PCI ids (a firmware framebuffer, a platform device) goes by its driver.
void NameByDriver(const DrmCard& card, GraphicsAdapter* adapter) {
    if (card.driver[0] && card.busId[0])
        std::snprintf(adapter->name, sizeof adapter->name, "%s (%s)", card.busId, card.driver);
    else
        std::snprintf(adapter->name, sizeof adapter->name, "%s",
                      card.busId[0] ? card.busId : card.driver);
}

}  // namespace

int ListGraphicsAdapters(GraphicsAdapter* out, int capacity) {
    DrmCard cards[kMaxDrmCards];
    int cardCount = ListDrmCards(cards, kMaxDrmCards);
    int primary = ChoosePrimaryCard(cards, cardCount);
    const char* nvml = SystemNvmlLibrary();
    PciIdsQuery queries[kMaxDrmCards];
    int queryOf[kMaxDrmCards];
    int count = 0, queryCount = 0;
    for (int i = 0; i < cardCount && count < capacity; ++i) {
        const DrmCard& card = cards[i];
        if (!card.hasDevice) continue;
        GraphicsAdapter& adapter = out[count];
        adapter = GraphicsAdapter{};
        adapter.vendorId = card.vendor;
        adapter.deviceId = card.device;
        adapter.dedicatedBytes = ReadCardMemory(card, nvml);
        adapter.primary = i == primary;
        queryOf[count] = -1;
        if (card.vendor) {
            queryOf[count] = queryCount;
            queries[queryCount++] = MakePciIdsQuery(card.vendor, card.device);
        } else {
            NameByDriver(card, &adapter);
        }
        ++count;
    }
    LookUpPciNames(queries, queryCount);
    for (int i = 0; i < count; ++i) {
        if (queryOf[i] < 0) continue;
        const PciIdsQuery& query = queries[queryOf[i]];
        std::snprintf(out[i].vendorName, sizeof out[i].vendorName, "%s", query.vendorName);
        std::snprintf(out[i].name, sizeof out[i].name, "%s", query.deviceName);
    }
    return count;
}
