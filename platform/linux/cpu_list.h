// The kernel's processor lists ("0-3,8,10-11"), as the processors they name.
#pragma once

#include <cstddef>
#include <vector>

// Every processor of the list in ascending order, none at or above `limit`; false (and
// `cpus` empty) when the text is not such a list. A list cut short by its buffer is
// refused by the caller, not here: "0-1" of "0-127" would still parse.
bool ParseCpuMembers(const char* text, size_t length, int limit, std::vector<int>* cpus);
