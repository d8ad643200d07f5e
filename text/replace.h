// In-place replacement inside a caller's fixed buffer.
#pragma once

#include <cstddef>

// Replaces every occurrence of `pattern` in `text` by `replacement`, left to right, never
// searching an inserted replacement again. `capacity` is the size of text's buffer, the
// terminator included; an occurrence whose replacement would not fit ends the work there,
// so the text is never cut and never overrun. An absent or empty pattern, or an absent
// text, changes nothing; an absent replacement counts as the empty text. The replacement
// must not lie inside `text`.
void ReplaceAll(char* text, size_t capacity, const char* pattern, const char* replacement);

// Turns every TAB into one blank; blanks it makes are not merged.
void ReplaceTabs(char* text);
