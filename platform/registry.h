// Read-only registry and environment access. On Linux a source answers the processor
// keys from /proc/cpuinfo.
#pragma once

#include <cstddef>
#include <cstdint>

enum class RegistryRoot { kCurrentUser, kLocalMachine };

class RegistrySource {
public:
    // A key handle, 0 when the key cannot be opened.
    virtual uintptr_t OpenKey(RegistryRoot root, const char* subKey) = 0;
    // Reads a value's data into `data` (nullptr: size only). `*size` holds the buffer's
    // size in bytes and receives the data's size, even when the data does not fit.
    // False when the value is missing or does not fit.
    virtual bool QueryValue(uintptr_t key, const char* valueName, void* data, uint32_t* size) = 0;
    virtual void CloseKey(uintptr_t key) = 0;
    // An environment variable into `out`: returns its length, or the size it needs
    // (terminator included) when that exceeds `capacity`, or 0 when it is not set.
    virtual uint32_t ReadEnvironment(const char* name, char* out, uint32_t capacity) = 0;

protected:
    ~RegistrySource() = default;
};

RegistrySource& SystemRegistry();
