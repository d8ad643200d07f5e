// What a screen reader calls a value field: the label in front of it.
#pragma once

#include <cstddef>

// `label` without its mnemonic ampersands and its closing colon ("Memory (RAM):" gives
// "Memory (RAM)", "&Close" gives "Close"); cut to fit `capacity`, terminator included.
void AccessibleNameFromLabel(const char* label, char* out, size_t capacity);

// The name that says the row where the control's own text, or its label's, does not: the
// four buttons all read "Run", and two fields follow a "CPU Speed:" label. nullptr for
// every other control. Both dialogs name these controls alike.
const char* AccessibleRowName(int controlId);
