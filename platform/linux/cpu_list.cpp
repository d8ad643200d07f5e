#include "platform/linux/cpu_list.h"

#include <algorithm>

namespace {

bool ParseNumber(const char* text, size_t begin, size_t end, long* value) {
    if (begin >= end || end - begin > 9) return false;
    long n = 0;
    for (size_t i = begin; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        n = n * 10 + (text[i] - '0');
    }
    *value = n;
    return true;
}

}  // namespace

bool ParseCpuMembers(const char* text, size_t length, int limit, std::vector<int>* cpus) {
    cpus->clear();
    size_t end = 0;
    while (end < length && text[end] != '\n' && text[end] != '\0') ++end;
    size_t i = 0;
    while (i < end && text[i] == ' ') ++i;
    while (end > i && text[end - 1] == ' ') --end;
    while (i < end) {
        size_t j = i;
        while (j < end && text[j] != ',') ++j;
        size_t dash = i;
        while (dash < j && text[dash] != '-') ++dash;
        long low = 0, high = 0;
        if (!ParseNumber(text, i, dash, &low) ||
            !(dash == j ? (high = low, true) : ParseNumber(text, dash + 1, j, &high)) ||
            high < low) {
            cpus->clear();
            return false;
        }
        for (long cpu = low; cpu <= high && cpu < limit; ++cpu)
            cpus->push_back(static_cast<int>(cpu));
        i = j + 1;
    }
    std::sort(cpus->begin(), cpus->end());
    cpus->erase(std::unique(cpus->begin(), cpus->end()), cpus->end());
    return true;
}
