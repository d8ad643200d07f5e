// The file operations of the disk benchmark: unbuffered writes to a temporary file that
// only this run created and that no exit leaves behind, and the error codes with their
// system texts.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr intptr_t kNoFile = -1;
constexpr size_t kDiskPathSize = 4096;

class DiskOps {
  public:
    // The directory the benchmark writes in on `drive`: the drive itself, or on Linux, where
    // the user may not write there, $HOME or $TMPDIR when they lie on the same file system.
    // False (error recorded, its text naming the drive) for a drive that cannot be measured:
    // one that does not exist, is not a directory, or keeps its data in memory (tmpfs, a RAM
    // disk) or in the kernel (proc, sysfs).
    virtual bool ChooseDirectory(const char* drive, char* out, size_t capacity) = 0;
    // Free bytes available to the user in `directory`; false (error recorded) when unknown.
    virtual bool FreeBytes(const char* directory, uint64_t* freeBytes) = 0;
    // Holds `directory` open for the whole run, so every file of the run is made in it
    // even if its path comes to lead elsewhere (a lazy unmount); kNoFile (error recorded)
    // when it cannot be opened. One directory is held at a time.
    virtual intptr_t OpenDirectory(const char* directory) = 0;
    virtual void CloseDirectory(intptr_t directory) = 0;
    // A new file in the held `directory` for unbuffered writing, deleted by Close or by the
    // end of the process. Where the system allows, it never has a name (Linux O_TMPFILE);
    // otherwise it is `number` as a name: "C:\123.bin" on Windows, "<dir>/123.bin" on
    // Linux, created only if no file has that name (kNoFile, with the "exists" code
    // recorded): a file that existed is never opened, written or deleted.
    virtual intptr_t CreateNew(intptr_t directory, uint32_t number) = 0;
    // True while `file` lies on the file system the held `directory` was on when it was
    // opened, and the directory's path still leads there. False (error recorded, its text
    // saying the drive went away) once the drive was unmounted or replaced.
    virtual bool StillOnDrive(intptr_t directory, intptr_t file) = 0;
    // One synchronous write; the bytes written, or -1.
    virtual int64_t Write(intptr_t file, const void* data, uint32_t bytes) = 0;
    virtual bool Flush(intptr_t file) = 0;
    // Closes the file; the file goes with it.
    virtual void Close(intptr_t file) = 0;
    // Zero-filled and aligned as unbuffered writes need; nullptr when there is no room.
    virtual void* AllocateBuffer(size_t bytes) = 0;
    virtual void ReleaseBuffer(void* buffer, size_t bytes) = 0;
    virtual void Pause(uint32_t milliseconds) = 0;  // 0: give up the time slice

    // The code of the most recent failure, and the system's text for a code.
    virtual uint32_t LastError() = 0;
    virtual void ErrorText(uint32_t code, char* out, size_t capacity) = 0;
    virtual uint32_t FileExistsCode() = 0;
    virtual uint32_t DiskFullCode() = 0;

  protected:
    ~DiskOps() = default;
};

DiskOps& SystemDiskOps();

// Where the temporary file must carry a name for a while (Linux file systems without
// O_TMPFILE), every signal that ends the process by default removes it first: Ctrl+C,
// SIGTERM, SIGHUP, SIGQUIT, a crash. Windows needs nothing beyond delete-on-close. Each
// front-end calls it once at start.
void RemoveTemporaryFileOnInterrupt();
