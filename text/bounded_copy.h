// Bounded text copy, the one way texts move between buffers.
#pragma once

#include <cstddef>

// Copies at most limit - 1 characters of `in` and always terminates `out` (limit counts
// the terminator: 63 keeps 62 characters). A null `in` gives the empty text. Returns the
// length written. A limit of 0 writes nothing.
size_t CopyBounded(char* out, const char* in, size_t limit);

// Appends `in` to the text in `out`, whose buffer holds `capacity` bytes; cuts to fit.
size_t AppendBounded(char* out, const char* in, size_t capacity);
