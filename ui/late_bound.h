// Calls one of a few optional system functions by name, without a load-time dependency.
#pragma once

#include <cstdint>

#include "platform/library.h"

// Loads `dll`, looks `function` up, calls it with `text` and `number`, releases the library.
// 0 when anything is missing or the name is not one it serves.
int32_t CallLateBound(const char* dll, const char* function, const char* text, int32_t number,
                      LibraryLoader& libraries = SystemLibraries());
