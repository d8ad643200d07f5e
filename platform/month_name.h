// Month names in the user's language, for the time stamp.
#pragma once

#include <cstddef>

// Writes the full name of `month` (1..12) into `out`, at most capacity - 1 characters;
// empty for any other month or when the system has no name for it.
void GetMonthName(int month, char* out, size_t capacity);
