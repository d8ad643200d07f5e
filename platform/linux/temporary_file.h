// The disk benchmark's file on Linux: written unbuffered, and gone whichever way the
// process ends.
#pragma once

#include <cerrno>
#include <cstdint>

// Our code for a file system that refuses O_DIRECT (tmpfs before Linux 6.6): errno would
// say only EINVAL.
constexpr int kNoDirectIo = 0x10000 + EINVAL;

// A new file in the directory open as `directoryFd` (O_PATH will do), open for writing
// with O_DIRECT. Where the file system allows it the file never has a name (O_TMPFILE), so
// no exit, not even SIGKILL or a power cut, leaves it behind. Elsewhere it is created as
// "<number>.bin" in that directory only if no file has that name, and unlinked again at
// once while it stays open. -1 with *error set when it fails (EEXIST: the name is taken,
// and the file of that name is left alone).
int OpenTemporaryFile(int directoryFd, uint32_t number, int* error);

// The named way alone, for file systems without O_TMPFILE. `keepName` keeps the name until
// CloseTemporaryFile, which is what happens where the file system cannot unlink an open
// file; tests use it to reach the signal cleanup. `directoryFd` stays open until then.
int OpenNamedTemporaryFile(int directoryFd, uint32_t number, bool keepName, int* error);

// Closes the file and removes the name it may still have.
void CloseTemporaryFile(int fd);

// Every signal whose default action ends the process and that nobody handles or ignores
// yet removes a name the file still has before the process ends. Each front-end calls it
// once at start.
void RemoveTemporaryFileOnSignals();
