// The file operations of the disk benchmark: unbuffered writes to a temporary file that
// only this run created, and the error codes with their system texts.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr intptr_t kNoFile = -1;

class DiskOps {
public:
    // Free bytes available to the user on `drive`; false (error recorded) when unknown.
    virtual bool FreeBytes(const char* drive, uint64_t* freeBytes) = 0;
    // The temporary file `number` for `drive`: "C:\123.bin" on Windows; on Linux a file in
    // the mount point, or in $HOME or $TMPDIR when those lie on that file system.
    virtual bool TemporaryPath(const char* drive, uint32_t number, char* out, size_t capacity) = 0;
    // Creates `path` for unbuffered writing; never opens a file that exists already
    // (kNoFile, with the "exists" code recorded).
    virtual intptr_t CreateNew(const char* path) = 0;
    // One synchronous write; the bytes written, or -1.
    virtual int64_t Write(intptr_t file, const void* data, uint32_t bytes) = 0;
    virtual bool Flush(intptr_t file) = 0;
    virtual void Close(intptr_t file) = 0;
    // Deletes a file this run created.
    virtual void Remove(const char* path) = 0;
    // Zero-filled and aligned as unbuffered writes need; nullptr when there is no room.
    virtual void* AllocateBuffer(size_t bytes) = 0;
    virtual void ReleaseBuffer(void* buffer, size_t bytes) = 0;
    virtual void Pause(uint32_t milliseconds) = 0;  // 0: give up the time slice

    // The code of the most recent failure, and the system's text for a code.
    virtual uint32_t LastError() = 0;
    virtual void ErrorText(uint32_t code, char* out, size_t capacity) = 0;
    virtual uint32_t FileExistsCode() = 0;
    virtual uint32_t DiskFullCode() = 0;
    virtual uint32_t OutOfMemoryCode() = 0;

protected:
    ~DiskOps() = default;
};

DiskOps& SystemDiskOps();

// An interrupt (Ctrl+C, SIGINT, SIGTERM, a console close) removes the temporary file the
// disk benchmark holds before the process ends. Called once by the command-line tool.
void RemoveTemporaryFileOnInterrupt();
