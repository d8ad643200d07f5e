#include "platform/linux/proc_text.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "text/bounded_copy.h"
#include "text/decimal.h"

namespace {

// One line of a buffer that need not be terminated.
struct Line {
    const char* begin;
    size_t length;
};

bool NextLine(const char** at, const char* end, Line* line) {
    if (*at >= end) return false;
    const char* start = *at;
    const char* stop =
        static_cast<const char*>(std::memchr(start, '\n', static_cast<size_t>(end - start)));
    if (!stop) stop = end;
    *line = {start, static_cast<size_t>(stop - start)};
    *at = stop < end ? stop + 1 : end;
    return true;
}

// Copies a slice into a terminated buffer, cut to fit; embedded NULs end it.
void CopySlice(char* out, size_t capacity, const char* begin, size_t length) {
    if (capacity == 0) return;
    size_t n = length < capacity - 1 ? length : capacity - 1;
    const char* nul = static_cast<const char*>(std::memchr(begin, '\0', n));
    if (nul) n = static_cast<size_t>(nul - begin);
    std::memcpy(out, begin, n);
    out[n] = '\0';
}

void Trim(const char** begin, size_t* length) {
    while (*length && (**begin == ' ' || **begin == '\t')) ++*begin, --*length;
    while (*length && ((*begin)[*length - 1] == ' ' || (*begin)[*length - 1] == '\t' ||
                       (*begin)[*length - 1] == '\r'))
        --*length;
}

// "key<blanks>: value" → key and value, trimmed.
bool SplitKeyValue(const Line& line, char separator, Line* key, Line* value) {
    const char* colon = static_cast<const char*>(std::memchr(line.begin, separator, line.length));
    if (!colon) return false;
    *key = {line.begin, static_cast<size_t>(colon - line.begin)};
    *value = {colon + 1, line.length - key->length - 1};
    Trim(&key->begin, &key->length);
    Trim(&value->begin, &value->length);
    return true;
}

bool KeyIs(const Line& key, const char* name) {
    size_t n = std::strlen(name);
    return key.length == n && std::memcmp(key.begin, name, n) == 0;
}

// Leading decimal digits, saturating instead of wrapping.
uint64_t ParseUnsigned(const Line& value, bool* any) {
    uint64_t n = 0;
    *any = false;
    for (size_t i = 0; i < value.length && value.begin[i] >= '0' && value.begin[i] <= '9'; ++i) {
        *any = true;
        unsigned digit = static_cast<unsigned>(value.begin[i] - '0');
        n = n > (UINT64_MAX - digit) / 10 ? UINT64_MAX : n * 10 + digit;
    }
    return n;
}

int ParseSmallInt(const Line& value) {
    bool any = false;
    uint64_t n = ParseUnsigned(value, &any);
    return any ? (n > 1000000 ? 1000000 : static_cast<int>(n)) : -1;
}

double ParseDecimal(const Line& value) {
    char text[64];
    CopySlice(text, sizeof text, value.begin, value.length);
    double x = ReadDecimal(text);
    return x > 0 && x < 1e9 ? x : 0;
}

}  // namespace

void ParseCpuinfo(const char* text, size_t length, CpuinfoFacts* facts) {
    std::memset(facts, 0, sizeof *facts);
    facts->family = facts->model = facts->stepping = -1;
    const char* at = text;
    const char* end = text + length;
    Line line, key, value;
    while (NextLine(&at, end, &line)) {
        if (!SplitKeyValue(line, ':', &key, &value)) continue;
        if (KeyIs(key, "processor")) {
            ++facts->processors;
            continue;
        }
        if (facts->processors > 1) continue;  // the first processor's facts only
        if (KeyIs(key, "model name") && !facts->modelName[0])
            CopySlice(facts->modelName, sizeof facts->modelName, value.begin, value.length);
        else if (KeyIs(key, "vendor_id") && !facts->vendorId[0])
            CopySlice(facts->vendorId, sizeof facts->vendorId, value.begin, value.length);
        else if (KeyIs(key, "cpu MHz") && facts->mhz == 0)
            facts->mhz = ParseDecimal(value);
        else if (KeyIs(key, "cpu family") && facts->family < 0)
            facts->family = ParseSmallInt(value);
        else if (KeyIs(key, "model") && facts->model < 0)
            facts->model = ParseSmallInt(value);
        else if (KeyIs(key, "stepping") && facts->stepping < 0)
            facts->stepping = ParseSmallInt(value);
    }
}

void ParseMeminfo(const char* text, size_t length, MeminfoFacts* facts) {
    std::memset(facts, 0, sizeof *facts);
    const struct {
        const char* name;
        uint64_t MeminfoFacts::*field;
    } kFields[] = {
        {"MemTotal", &MeminfoFacts::memTotal},
        {"MemFree", &MeminfoFacts::memFree},
        {"MemAvailable", &MeminfoFacts::memAvailable},
        {"Buffers", &MeminfoFacts::buffers},
        {"Cached", &MeminfoFacts::cached},
        {"SwapTotal", &MeminfoFacts::swapTotal},
        {"SwapFree", &MeminfoFacts::swapFree},
    };
    const char* at = text;
    const char* end = text + length;
    Line line, key, value;
    while (NextLine(&at, end, &line)) {
        if (!SplitKeyValue(line, ':', &key, &value)) continue;
        for (const auto& field : kFields) {
            if (!KeyIs(key, field.name)) continue;
            bool any = false;
            uint64_t kib = ParseUnsigned(value, &any);
            // Beyond 2^60 bytes no machine has: a damaged or made-up file, read as absent.
            if (!any || kib > (uint64_t{1} << 50)) break;
            facts->*field.field = kib * 1024;
            if (field.field == &MeminfoFacts::memAvailable) facts->hasMemAvailable = true;
            break;
        }
    }
}

bool ParseCgroupValue(const char* text, size_t length, uint64_t* value) {
    Line line = {text, length};
    const char* nl = static_cast<const char*>(std::memchr(text, '\n', length));
    if (nl) line.length = static_cast<size_t>(nl - text);
    Trim(&line.begin, &line.length);
    if (KeyIs(line, "max")) {
        *value = UINT64_MAX;
        return true;
    }
    bool any = false;
    uint64_t n = ParseUnsigned(line, &any);
    if (!any) return false;
    *value = n;
    return true;
}

void ParseProcCgroup(const char* text, size_t length, CgroupPaths* paths) {
    std::memset(paths, 0, sizeof *paths);
    const char* at = text;
    const char* end = text + length;
    Line line;
    while (NextLine(&at, end, &line)) {
        // "id:controllers:path"; the path itself may hold colons.
        const char* first = static_cast<const char*>(std::memchr(line.begin, ':', line.length));
        if (!first) continue;
        size_t rest = line.length - static_cast<size_t>(first - line.begin) - 1;
        const char* second = static_cast<const char*>(std::memchr(first + 1, ':', rest));
        if (!second) continue;
        Line controllers = {first + 1, static_cast<size_t>(second - first - 1)};
        Line path = {second + 1, line.length - static_cast<size_t>(second + 1 - line.begin)};
        if (controllers.length == 0 &&
            KeyIs({line.begin, static_cast<size_t>(first - line.begin)}, "0")) {
            CopySlice(paths->unified, sizeof paths->unified, path.begin, path.length);
            continue;
        }
        // "memory" alone or in a list such as "cpu,memory".
        for (size_t i = 0; i < controllers.length;) {
            size_t j = i;
            while (j < controllers.length && controllers.begin[j] != ',') ++j;
            if (KeyIs({controllers.begin + i, j - i}, "memory"))
                CopySlice(paths->memory, sizeof paths->memory, path.begin, path.length);
            i = j + 1;
        }
    }
}

namespace {

// os-release values may stand in double or single quotes.
void Unquote(Line* value) {
    if (value->length >= 2 && (value->begin[0] == '"' || value->begin[0] == '\'') &&
        value->begin[value->length - 1] == value->begin[0]) {
        ++value->begin;
        value->length -= 2;
    }
}

}  // namespace

void OsReleaseValue(const char* text, size_t length, const char* wanted, char* out,
                    size_t capacity) {
    if (capacity == 0) return;
    out[0] = '\0';
    const char* at = text;
    const char* end = text + length;
    Line line, key, value;
    while (NextLine(&at, end, &line)) {
        if (!SplitKeyValue(line, '=', &key, &value) || !KeyIs(key, wanted)) continue;
        Unquote(&value);
        CopySlice(out, capacity, value.begin, value.length);
        return;
    }
}

void ParseOsRelease(const char* text, size_t length, char* out, size_t capacity) {
    if (capacity == 0) return;
    out[0] = '\0';
    char name[256] = "";
    const char* at = text;
    const char* end = text + length;
    Line line, key, value;
    while (NextLine(&at, end, &line)) {
        if (!SplitKeyValue(line, '=', &key, &value)) continue;
        bool pretty = KeyIs(key, "PRETTY_NAME");
        if (!pretty && !KeyIs(key, "NAME")) continue;
        Unquote(&value);
        if (pretty) {
            CopySlice(out, capacity, value.begin, value.length);
            if (out[0]) return;
        } else if (!name[0]) {
            CopySlice(name, sizeof name, value.begin, value.length);
        }
    }
    CopyBounded(out, name, capacity);
}

namespace {

// A whole field of decimal digits, at most 9 of them.
bool ParseIndex(const Line& field, uint64_t* value) {
    if (field.length == 0 || field.length > 9) return false;
    for (size_t i = 0; i < field.length; ++i)
        if (field.begin[i] < '0' || field.begin[i] > '9') return false;
    bool any = false;
    *value = ParseUnsigned(field, &any);
    return true;
}

}  // namespace

int ParseCpuList(const char* text, size_t length) {
    Line line = {text, length};
    const char* nl = static_cast<const char*>(std::memchr(text, '\n', length));
    if (nl) line.length = static_cast<size_t>(nl - text);
    Trim(&line.begin, &line.length);
    uint64_t count = 0;
    for (size_t i = 0; i < line.length;) {
        size_t j = i;
        while (j < line.length && line.begin[j] != ',') ++j;
        Line item = {line.begin + i, j - i};
        const char* dash = static_cast<const char*>(std::memchr(item.begin, '-', item.length));
        Line first = {item.begin, dash ? static_cast<size_t>(dash - item.begin) : item.length};
        Line last = dash ? Line{dash + 1, item.length - first.length - 1} : first;
        uint64_t low = 0, high = 0;
        if (!ParseIndex(first, &low) || !ParseIndex(last, &high) || high < low) return 0;
        // Indices have at most 9 digits, so the sum stays far below 2^63.
        count += high - low + 1;
        i = j + 1;
    }
    return count > 1000000 ? 0 : static_cast<int>(count);
}
