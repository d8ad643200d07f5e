#include "sysinfo/cpuid_dump.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "sysinfo/cpuid_leaves.h"

namespace {

// A line being read, from `at` up to `end`.
struct Cursor {
    const char* at;
    const char* end;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Returns whether there was at least one blank.
bool SkipBlanks(Cursor* c) {
    const char* start = c->at;
    while (c->at < c->end && IsBlank(*c->at)) ++c->at;
    return c->at > start;
}

bool AtEnd(Cursor c) {
    SkipBlanks(&c);
    return c.at == c.end;
}

bool Take(Cursor* c, const char* word, bool anyCase = false) {
    const size_t length = std::strlen(word);
    if (static_cast<size_t>(c->end - c->at) < length) return false;
    for (size_t i = 0; i < length; ++i)
        if (anyCase ? Lower(c->at[i]) != word[i] : c->at[i] != word[i]) return false;
    c->at += length;
    return true;
}

// From `least` to `most` hexadecimal digits, and no more digits after them.
bool TakeHex(Cursor* c, int least, int most, uint64_t* value) {
    int digits = 0;
    uint64_t n = 0;
    for (; c->at < c->end && HexDigit(*c->at) >= 0; ++c->at, ++digits) {
        if (digits == most) return false;
        n = n << 4 | static_cast<uint64_t>(HexDigit(*c->at));
    }
    if (digits < least) return false;
    *value = n;
    return true;
}

bool TakeWord(Cursor* c, int least, int most, uint32_t* word) {
    uint64_t value = 0;
    if (!TakeHex(c, least, most, &value)) return false;
    *word = static_cast<uint32_t>(value);
    return true;
}

enum class LineKind { kBlank, kComment, kHeading, kXcr0, kText, kRaw, kTable, kOther };

// "CPU 0:", "CPU#000", "CPU 12", "CPU:".
bool IsHeading(Cursor c) {
    if (!Take(&c, "CPU")) return false;
    if (c.at < c.end && (*c.at == ' ' || *c.at == '#')) ++c.at;
    const char* digits = c.at;
    while (c.at < c.end && *c.at >= '0' && *c.at <= '9') ++c.at;
    const bool numbered = c.at > digits;
    const bool colon = Take(&c, ":");
    return (numbered || colon) && AtEnd(c);
}

// Two or more blank-separated words of hexadecimal digits: a line of the table form, or a
// header of the text form that happens to start with a digit.
bool IsTableLine(Cursor c) {
    int words = 0;
    for (uint64_t value = 0; !AtEnd(c); ++words)
        if ((words > 0 && !SkipBlanks(&c)) || !TakeHex(&c, 1, 16, &value)) return false;
    return words >= 2;
}

// What a line is by its first characters; `c` starts at its first non-blank.
LineKind KindOf(Cursor c) {
    if (c.at == c.end) return LineKind::kBlank;
    if (*c.at == '#') return LineKind::kComment;
    if (IsHeading(c)) return LineKind::kHeading;
    // Whatever starts so is meant as a CPUID line, and must read as one.
    Cursor probe = c;
    if (Take(&probe, "CPUID")) return LineKind::kText;
    probe = c;
    if (Take(&probe, "xcr0", true)) return LineKind::kXcr0;
    probe = c;
    if (Take(&probe, "0x", true)) return LineKind::kRaw;
    if (IsTableLine(c)) return LineKind::kTable;
    return LineKind::kOther;
}

// CPUID 0000000D: 000002E7-00000980-00000988-00000000 [SL 01] [any comment]
bool ParseTextLine(Cursor c, CpuidDumpEntry* entry) {
    Take(&c, "CPUID");
    if (!SkipBlanks(&c) || !TakeWord(&c, 8, 8, &entry->leaf) || !Take(&c, ":")) return false;
    SkipBlanks(&c);
    uint32_t* words[4] = {&entry->words.eax, &entry->words.ebx, &entry->words.ecx,
                          &entry->words.edx};
    for (int i = 0; i < 4; ++i)
        if ((i > 0 && !Take(&c, "-")) || !TakeWord(&c, 8, 8, words[i])) return false;
    entry->subleaf = 0;
    bool subleafSeen = false;
    while (!AtEnd(c)) {
        if (!SkipBlanks(&c) || !Take(&c, "[")) return false;
        const char* close = static_cast<const char*>(std::memchr(c.at, ']', c.end - c.at));
        if (!close) return false;
        Cursor inside = {c.at, close};
        c.at = close + 1;
        SkipBlanks(&inside);
        if (!Take(&inside, "sl", true) || !SkipBlanks(&inside)) continue;  // a comment
        if (subleafSeen || !TakeWord(&inside, 1, 8, &entry->subleaf) || !AtEnd(inside))
            return false;
        subleafSeen = true;
    }
    return true;
}

// 0x0000000d 0x01: eax=0x0000000f ebx=0x000009a8 ecx=0x00001800 edx=0x00000000
bool ParseRawLine(Cursor c, CpuidDumpEntry* entry) {
    if (!Take(&c, "0x", true) || !TakeWord(&c, 1, 8, &entry->leaf) || !SkipBlanks(&c) ||
        !Take(&c, "0x", true) || !TakeWord(&c, 1, 8, &entry->subleaf) || !Take(&c, ":"))
        return false;
    const char* names[4] = {"eax=0x", "ebx=0x", "ecx=0x", "edx=0x"};
    uint32_t* words[4] = {&entry->words.eax, &entry->words.ebx, &entry->words.ecx,
                          &entry->words.edx};
    for (int i = 0; i < 4; ++i)
        if (!SkipBlanks(&c) || !Take(&c, names[i], true) || !TakeWord(&c, 1, 8, words[i]))
            return false;
    return AtEnd(c);
}

// 0000000d 1 0000000f 000009a8 00001800 00000000
bool ParseTableLine(Cursor c, CpuidDumpEntry* entry) {
    uint32_t* fields[6] = {&entry->leaf,      &entry->subleaf,   &entry->words.eax,
                           &entry->words.ebx, &entry->words.ecx, &entry->words.edx};
    for (int i = 0; i < 6; ++i)
        if ((i > 0 && !SkipBlanks(&c)) || !TakeWord(&c, 1, 8, fields[i])) return false;
    return AtEnd(c);
}

// "XCR0: 0000000000000207", "xcr0 207", "XCR0=0x207".
bool ParseXcr0Line(Cursor c, uint64_t* xcr0) {
    Take(&c, "xcr0", true);
    const bool blank = SkipBlanks(&c);
    const bool mark = Take(&c, ":") || Take(&c, "=");
    if (!blank && !mark) return false;
    SkipBlanks(&c);
    Take(&c, "0x", true);
    return TakeHex(&c, 1, 16, xcr0) && AtEnd(c);
}

bool Refuse(CpuidDumpReader* reader, const char* reason) {
    reader->error = reason;
    return false;
}

bool AddEntry(CpuidDumpReader* reader, const CpuidDumpEntry& entry) {
    CpuidDump* dump = reader->dump;
    for (int i = 0; i < dump->count; ++i) {
        if (dump->entries[i].leaf != entry.leaf || dump->entries[i].subleaf != entry.subleaf)
            continue;
        // Leaf 0 again is the next processor's section, in a dump of several.
        if (entry.leaf == 0 && entry.subleaf == 0) {
            reader->done = true;
            return false;
        }
        return Refuse(reader, "the same leaf and sub-leaf twice");
    }
    if (dump->count == kMaxCpuidDumpEntries) return Refuse(reader, "more than 1024 CPUID leaves");
    dump->entries[dump->count++] = entry;
    return true;
}

void Fail(char* error, size_t errorSize, const char* name, int line, const char* reason) {
    if (!error || errorSize == 0) return;
    if (line > 0)
        std::snprintf(error, errorSize, "%s:%d: %s", name, line, reason);
    else
        std::snprintf(error, errorSize, "%s: %s", name, reason);
}

bool Finish(const CpuidDumpReader& reader, const char* name, char* error, size_t errorSize) {
    if (reader.error) {
        Fail(error, errorSize, name, reader.line, reader.error);
        return false;
    }
    if (reader.dump->count == 0) {
        Fail(error, errorSize, name, 0, "no CPUID leaves in it");
        return false;
    }
    return true;
}

// Where the byte is not part of a well-formed UTF-8 sequence, how long a sequence it starts
// otherwise.
size_t Utf8Length(const unsigned char* at, size_t left) {
    const unsigned char c = at[0];
    size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (length == 0 || length > left) return 0;
    for (size_t i = 1; i < length; ++i)
        if ((at[i] & 0xC0) != 0x80) return 0;
    return length;
}

// A NUL, or more than a quarter of the bytes neither printable, blank nor UTF-8.
bool LooksBinary(const unsigned char* bytes, size_t size) {
    size_t odd = 0;
    for (size_t i = 0; i < size;) {
        const unsigned char c = bytes[i];
        if (c == 0) return true;
        if (c >= 0x80) {
            const size_t length = Utf8Length(bytes + i, size - i);
            // A sequence cut by the end of the sample is text too.
            if (length == 0 && size - i >= 4) ++odd;
            i += length ? length : 1;
            continue;
        }
        if ((c < 0x20 && !std::strchr("\t\n\v\f\r\x1b", c)) || c == 0x7F) ++odd;
        ++i;
    }
    return odd * 4 > size;
}

}  // namespace

void BeginCpuidDump(CpuidDump* dump, CpuidDumpReader* reader) {
    dump->count = 0;
    dump->hasXcr0 = false;
    dump->xcr0 = 0;
    *reader = CpuidDumpReader{dump, CpuidDumpForm::kUnknown, 0, false, nullptr};
}

bool FeedCpuidDumpLine(CpuidDumpReader* reader, const char* text, size_t length) {
    if (reader->done || reader->error) return false;
    ++reader->line;
    Cursor c = {text, text + length};
    if (c.end > c.at && c.end[-1] == '\r') --c.end;
    SkipBlanks(&c);
    const LineKind kind = KindOf(c);
    CpuidDumpForm lineForm = CpuidDumpForm::kUnknown;
    switch (kind) {
        case LineKind::kBlank:
        case LineKind::kComment:
            return true;
        case LineKind::kHeading:
            if (reader->dump->count > 0) {
                reader->done = true;
                return false;
            }
            return true;
        case LineKind::kXcr0: {
            uint64_t xcr0 = 0;
            if (!ParseXcr0Line(c, &xcr0)) return Refuse(reader, "not an XCR0 line");
            reader->dump->hasXcr0 = true;
            reader->dump->xcr0 = xcr0;
            return true;
        }
        case LineKind::kText:
            lineForm = CpuidDumpForm::kText;
            break;
        case LineKind::kRaw:
            lineForm = CpuidDumpForm::kRaw;
            break;
        case LineKind::kTable:
            lineForm = CpuidDumpForm::kTable;
            break;
        case LineKind::kOther:
            break;
    }
    if (reader->form == CpuidDumpForm::kUnknown) reader->form = lineForm;
    // The text form carries headers and notes; the other two hold nothing else.
    if (reader->form == CpuidDumpForm::kUnknown ||
        (reader->form == CpuidDumpForm::kText && lineForm != CpuidDumpForm::kText))
        return true;
    if (lineForm != reader->form) return Refuse(reader, "not a CPUID line");
    CpuidDumpEntry entry = {};
    const bool parsed = lineForm == CpuidDumpForm::kText  ? ParseTextLine(c, &entry)
                        : lineForm == CpuidDumpForm::kRaw ? ParseRawLine(c, &entry)
                                                          : ParseTableLine(c, &entry);
    if (!parsed) return Refuse(reader, "not a CPUID line");
    return AddEntry(reader, entry);
}

bool ParseCpuidDump(const char* text, size_t length, const char* name, CpuidDump* out, char* error,
                    size_t errorSize) {
    CpuidDumpReader reader;
    BeginCpuidDump(out, &reader);
    for (size_t at = 0; at < length;) {
        const char* newline = static_cast<const char*>(std::memchr(text + at, '\n', length - at));
        const size_t end = newline ? static_cast<size_t>(newline - text) : length;
        if (!FeedCpuidDumpLine(&reader, text + at, end - at)) break;
        at = end + 1;
    }
    return Finish(reader, name, error, errorSize);
}

bool ReadCpuidDumpFile(const char* path, CpuidDump* out, char* error, size_t errorSize) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        CpuidDumpReader unread;
        BeginCpuidDump(out, &unread);
        Fail(error, errorSize, path, 0, std::strerror(errno));
        return false;
    }
    const bool read = ReadCpuidDumpStream(file, path, out, error, errorSize);
    std::fclose(file);
    return read;
}

bool ReadCpuidDumpStream(std::FILE* file, const char* path, CpuidDump* out, char* error,
                         size_t errorSize) {
    CpuidDumpReader reader;
    BeginCpuidDump(out, &reader);
    const char* refusal = nullptr;
    // The size where the file tells it; a pipe is counted as it is read.
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        // -1: beyond what a long holds (2 GiB on 32-bit Windows).
        if (size < 0 || static_cast<uint64_t>(size) >= kMaxCpuidDumpFileBytes)
            refusal = "100 MB or more: too large for a CPUID dump";
        std::rewind(file);
    }

    constexpr size_t kChunk = 4096, kLineLimit = 4096;
    std::unique_ptr<char[]> chunk(new char[kChunk]);
    std::unique_ptr<char[]> line(new char[kLineLimit]);
    size_t lineLength = 0;
    uint64_t total = 0;
    bool more = !refusal;
    while (more) {
        const size_t got = std::fread(chunk.get(), 1, kChunk, file);
        if (got == 0) {
            if (std::ferror(file)) refusal = "cannot be read";
            // The last line needs no line feed.
            else if (lineLength > 0)
                FeedCpuidDumpLine(&reader, line.get(), lineLength);
            break;
        }
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(chunk.get());
        // The first piece is looked at whole; after it only a NUL gives a binary file away.
        if (total == 0 ? LooksBinary(bytes, got) : std::memchr(bytes, '\0', got) != nullptr)
            refusal = "a binary file, not a CPUID dump";
        total += got;
        if (total >= kMaxCpuidDumpFileBytes) refusal = "100 MB or more: too large for a CPUID dump";
        if (refusal) break;
        for (size_t i = 0; i < got && more; ++i) {
            if (chunk[i] != '\n') {
                // A longer line is kept cut: no CPUID line comes near the limit.
                if (lineLength < kLineLimit) line[lineLength++] = chunk[i];
                continue;
            }
            more = FeedCpuidDumpLine(&reader, line.get(), lineLength);
            lineLength = 0;
        }
    }
    if (refusal) {
        Fail(error, errorSize, path, 0, refusal);
        return false;
    }
    return Finish(reader, path, error, errorSize);
}

// --- The writer -------------------------------------------------------------------------

namespace {

// How far each leaf with sub-leaves goes, as it defines it; at most kMaxSubleaves.
constexpr uint32_t kMaxSubleaves = 64;

enum class SubleafRule {
    kNone,          // ECX is not an input
    kUntilType,     // 4, 0x8000001D: until cache type (EAX 4:0) 0, that one included
    kUntilLevel,    // 0xB, 0x1F, 0x80000026: until level type (ECX 15:8) 0, included
    kCountInEax,    // 7, 0x14, 0x17, 0x18, 0x1D, 0x24: 0 to sub-leaf 0's EAX
    kStateMask,     // 0xD: 0 and 1, then each component that answers
    kMaskInEdx,     // 0xF: 0, then a sub-leaf per bit of sub-leaf 0's EDX
    kMaskInEbx,     // 0x10, 0x80000020: 0, then a sub-leaf per bit of sub-leaf 0's EBX
    kUntilSgxType,  // 0x12: 0, 1, then EPC sections until type (EAX 3:0) 0, included
};

SubleafRule RuleOf(uint32_t leaf) {
    switch (leaf) {
        case 0x4:
        case 0x8000001D:
            return SubleafRule::kUntilType;
        case 0xB:
        case 0x1F:
        case 0x80000026:
            return SubleafRule::kUntilLevel;
        case 0x7:
        case 0x14:
        case 0x17:
        case 0x18:
        case 0x1D:
        case 0x24:
            return SubleafRule::kCountInEax;
        case 0xD:
            return SubleafRule::kStateMask;
        case 0xF:
            return SubleafRule::kMaskInEdx;
        case 0x10:
        case 0x80000020:
            return SubleafRule::kMaskInEbx;
        case 0x12:
            return SubleafRule::kUntilSgxType;
        default:
            return SubleafRule::kNone;
    }
}

// The text being written, and its lines so far: never more than a dump may hold, so that
// whatever a source answers reads back.
struct Output {
    std::string text;
    int entries;
};

void AppendLine(uint32_t leaf, const CpuidWords& w, const uint32_t* subleaf, Output* out) {
    if (out->entries == kMaxCpuidDumpEntries) return;
    ++out->entries;
    char line[80];
    int n = std::snprintf(line, sizeof line, "CPUID %08X: %08X-%08X-%08X-%08X", leaf, w.eax, w.ebx,
                          w.ecx, w.edx);
    if (subleaf) std::snprintf(line + n, sizeof line - n, " [SL %02X]", *subleaf);
    out->text += line;
    out->text += '\n';
}

void AppendLeaf(CpuidSource& cpuid, uint32_t leaf, Output* out) {
    const SubleafRule rule = RuleOf(leaf);
    const CpuidWords first = cpuid.Execute(leaf, 0);
    if (rule == SubleafRule::kNone) {
        AppendLine(leaf, first, nullptr, out);
        return;
    }
    for (uint32_t i = 0; i < kMaxSubleaves; ++i) {
        const CpuidWords w = i == 0 ? first : cpuid.Execute(leaf, i);
        bool write = true, last = false;
        switch (rule) {
            case SubleafRule::kUntilType:
                last = (w.eax & 0x1F) == 0;
                break;
            case SubleafRule::kUntilLevel:
                last = (w.ecx >> 8 & 0xFF) == 0;
                break;
            case SubleafRule::kCountInEax:
                last = i >= first.eax;
                break;
            case SubleafRule::kStateMask:
                write = i < 2 || w.eax || w.ebx || w.ecx || w.edx;
                break;
            case SubleafRule::kMaskInEdx:
                write = i == 0 || (i < 32 && (first.edx >> i & 1));
                last = i >= 31;
                break;
            case SubleafRule::kMaskInEbx:
                write = i == 0 || (i < 32 && (first.ebx >> i & 1));
                last = i >= 31;
                break;
            case SubleafRule::kUntilSgxType:
                last = i >= 2 && (w.eax & 0xF) == 0;
                break;
            case SubleafRule::kNone:
                break;
        }
        if (write) AppendLine(leaf, w, &i, out);
        if (last) break;
    }
}

// From `base` to the highest leaf of its range that leaf `base` reports, at most 255 on:
// the probes read what lies below a highest leaf however high it is.
void AppendRange(CpuidSource& cpuid, uint32_t base, Output* out) {
    const uint32_t highest = cpuid.Execute(base, 0).eax;
    const uint32_t last = highest <= base ? base : highest - base <= 0xFF ? highest : base + 0xFF;
    for (uint32_t leaf = base;; ++leaf) {
        AppendLeaf(cpuid, leaf, out);
        if (leaf == last) break;
    }
}

bool VendorIs(const CpuidWords& leaf0, const char* vendor) {
    char text[12];
    VendorSignatureBytes(leaf0, text);
    return std::memcmp(text, vendor, 12) == 0;
}

}  // namespace

std::string FormatCpuidDump(CpuidSource& cpuid) {
    Output out = {"# CPUID of one logical processor, then XCR0\n", 0};
    const CpuidWords leaf0 = cpuid.Execute(0, 0);
    AppendRange(cpuid, 0, &out);
    const CpuidWords leaf1 = leaf0.eax >= 1 ? cpuid.Execute(1, 0) : CpuidWords{};
    // Without a hypervisor, Intel processors answer the range with their highest basic leaf.
    if (leaf1.ecx >> 31 & 1) {
        AppendRange(cpuid, 0x40000000, &out);
        // KVM and Xen keep their own signature here behind Hyper-V's interface.
        char signature[12];
        HypervisorSignatureBytes(cpuid.Execute(0x40000000, 0), signature);
        if (std::memcmp(signature, "Microsoft Hv", 12) == 0) AppendRange(cpuid, 0x40000100, &out);
    }
    AppendRange(cpuid, 0x80000000, &out);
    if (VendorIs(leaf0, "CentaurHauls") || VendorIs(leaf0, "  Shanghai  "))
        AppendRange(cpuid, 0xC0000000, &out);
    if (leaf1.ecx >> 27 & 1) {
        char line[40];
        std::snprintf(line, sizeof line, "XCR0: %016llX\n",
                      static_cast<unsigned long long>(cpuid.ReadXcr0()));
        out.text += line;
    }
    return out.text;
}

CpuidWords DumpCpuid::Execute(uint32_t leaf, uint32_t subleaf) {
    for (int i = 0; i < dump_.count; ++i) {
        const CpuidDumpEntry& entry = dump_.entries[i];
        if (entry.leaf == leaf && entry.subleaf == subleaf) return entry.words;
    }
    return CpuidWords{0, 0, 0, 0};
}

uint64_t DumpCpuid::ReadXcr0() {
    if (Execute(0).eax < 1 || !(Execute(1).ecx >> 27 & 1)) return 0;
    if (dump_.hasXcr0) return dump_.xcr0;
    const CpuidWords state = Execute(0xD, 0);
    return static_cast<uint64_t>(state.edx) << 32 | state.eax;
}
