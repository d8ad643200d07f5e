// The console the command-line tool writes to.
#pragma once

#include <cstdio>

// True when `stream` is an interactive terminal (a console window, a tty), not a pipe or file.
bool IsTerminal(std::FILE* stream);
