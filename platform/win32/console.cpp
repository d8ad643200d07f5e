#include "platform/console.h"

#include <io.h>

bool IsTerminal(std::FILE* stream) { return stream && _isatty(_fileno(stream)) != 0; }
