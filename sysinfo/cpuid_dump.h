// CPUID dumps: one logical processor's leaves as text, written from this processor and read
// back in place of it, so that `info` can describe a processor it does not run on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/cpu_instructions.h"

// More entries than any processor answers with all its sub-leaves (a few hundred), and a
// file size no dump comes near: anything larger is not a dump.
constexpr int kMaxCpuidDumpEntries = 1024;
constexpr uint64_t kMaxCpuidDumpFileBytes = 100ull * 1024 * 1024;

struct CpuidDumpEntry {
    uint32_t leaf;
    uint32_t subleaf;
    CpuidWords words;
};

struct CpuidDump {
    int count;
    CpuidDumpEntry entries[kMaxCpuidDumpEntries];
    bool hasXcr0;
    uint64_t xcr0;
};

// The forms a dump comes in, told apart by its first CPUID line:
//   kText   CPUID 00000007: 00000001-F1BF07AB-00405FC6-00000010 [SL 00]
//           (any other [comment] too; lines not starting with "CPUID" are skipped)
//   kRaw       0x00000007 0x00: eax=0x00000001 ebx=0xf1bf07ab ecx=0x00405fc6 edx=0x00000010
//   kTable  00000007 0 00000001 f1bf07ab 00405fc6 00000010   (tests/data/cpuid)
// All three take an XCR0 line ("XCR0: 0000000000000207", "xcr0 207"), '#' comments, blank
// lines and processor headings ("CPU 0:", "CPU#000"). Only the first processor's section
// is read: it ends at the next heading or where leaf 0 comes again.
enum class CpuidDumpForm { kUnknown, kText, kRaw, kTable };

// The reading state of one dump, fed a line at a time.
struct CpuidDumpReader {
    CpuidDump* dump;
    CpuidDumpForm form;
    int line;           // the number of the line fed last
    bool done;          // the first section has ended: the rest is not needed
    const char* error;  // why the last line was refused, else nullptr
};

void BeginCpuidDump(CpuidDump* dump, CpuidDumpReader* reader);
// One line without its line feed (a carriage return before it is allowed). False when
// reading stops: the section has ended (`done`) or the line is refused (`error`).
bool FeedCpuidDumpLine(CpuidDumpReader* reader, const char* text, size_t length);

// A whole dump in memory, or from a file. On failure `error` holds "NAME:LINE: reason" or
// "NAME: reason". A file of kMaxCpuidDumpFileBytes or more, or one whose first 4 KiB hold a
// NUL or are mostly not text, is refused before it is read through.
bool ParseCpuidDump(const char* text, size_t length, const char* name, CpuidDump* out, char* error,
                    size_t errorSize);
bool ReadCpuidDumpFile(const char* path, CpuidDump* out, char* error, size_t errorSize);
// The same from a file already open; `path` names it in errors. The stream stays open.
bool ReadCpuidDumpStream(std::FILE* file, const char* path, CpuidDump* out, char* error,
                         size_t errorSize);

// `cpuid`'s leaves in the text form, an XCR0 line last: every basic, hypervisor and
// extended leaf up to the range's highest, with the sub-leaves each leaf defines.
std::string FormatCpuidDump(CpuidSource& cpuid);

// CPUID answered from a dump: a leaf or sub-leaf the dump lacks reads as zeros, as on a
// processor without it. XCR0 is the dump's, else what leaf 0xD says the processor
// supports; 0 where leaf 1 says XGETBV may not run, as on the processor.
class DumpCpuid final : public CpuidSource {
  public:
    explicit DumpCpuid(const CpuidDump& dump) : dump_(dump) {}
    using CpuidSource::Execute;
    CpuidWords Execute(uint32_t leaf, uint32_t subleaf) override;
    uint64_t ReadXcr0() override;

  private:
    const CpuidDump& dump_;
};
