// What a screen reader calls a value field: the label in front of it.
#pragma once

#include <cstddef>

// `label` without its mnemonic ampersands and its closing colon ("Memory (RAM):" gives
// "Memory (RAM)", "&Close" gives "Close"); cut to fit `capacity`, terminator included.
void AccessibleNameFromLabel(const char* label, char* out, size_t capacity);
