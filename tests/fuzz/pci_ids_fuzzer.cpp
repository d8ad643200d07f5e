// The PCI ID database reader with any lines: names stay terminated inside their buffers,
// a finished query stays finished, and the reader never asks for more once all are done.
#include "fuzz_input.h"
#include "sysinfo/pci_ids.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input{data, size};
    uint32_t ids[4];
    for (uint32_t& id : ids) id = input.Byte();
    PciIdsQuery queries[2] = {MakePciIdsQuery(ids[0] << 8 | ids[1], ids[2] << 8 | ids[3]),
                              MakePciIdsQuery(0x10de, 0x2684)};
    const std::string text = input.Rest();
    bool more = true;
    for (size_t at = 0; at <= text.size() && more;) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at + (end < text.size() ? 1 : 0));
        bool wasDone[2] = {queries[0].done, queries[1].done};
        more = FeedPciIdsLine(line.c_str(), queries, 2);
        for (int q = 0; q < 2; ++q) {
            CheckTerminated(queries[q].vendorName);
            CheckTerminated(queries[q].deviceName);
            if (wasDone[q]) FUZZ_CHECK(queries[q].done);
        }
        if (queries[0].done && queries[1].done) FUZZ_CHECK(!more);
        at = end + 1;
    }
    return 0;
}
