// The console the command-line tool writes to.
#pragma once

#include <cstdio>

// True when `stream` is an interactive terminal (a console window, a tty), not a pipe or file.
bool IsTerminal(std::FILE* stream);

// The width in columns of the terminal `stream` writes to, read anew on each call (a
// window may be resized); 0 when it is no terminal or the system does not say.
int TerminalColumns(std::FILE* stream);

// The live progress line now on `stream`, `width` columns (0: none), so that a signal that
// ends the program can erase it first and leave the shell's prompt on a clean line.
void SetLiveLine(std::FILE* stream, int width);
// Erases that line: only async-signal-safe calls, for the handlers that end the program.
void EraseLiveLine();
