#include "platform/disk_ops.h"

#include <windows.h>

#include <cstdio>

#include "text/bounded_copy.h"

namespace {

class Win32DiskOps final : public DiskOps {
public:
    bool FreeBytes(const char* drive, uint64_t* freeBytes) override {
        ULARGE_INTEGER available;
        if (!drive || !*drive) return Fail(ERROR_INVALID_DRIVE);
        if (!GetDiskFreeSpaceExA(drive, &available, nullptr, nullptr)) return Fail(GetLastError());
        *freeBytes = available.QuadPart;
        return true;
    }

    bool TemporaryPath(const char* drive, uint32_t number, char* out, size_t capacity) override {
        if (!drive || !*drive) return Fail(ERROR_INVALID_DRIVE);
        int written = std::snprintf(out, capacity, "%s\\%lu.bin", drive, static_cast<unsigned long>(number));
        return written > 0 && static_cast<size_t>(written) < capacity ? true : Fail(ERROR_FILENAME_EXCED_RANGE);
    }

    intptr_t CreateNew(const char* path) override {
        // CREATE_NEW: a file of that name, whoever made it, is never opened. Delete-on-close
        // removes ours however the process ends.
        HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                  FILE_FLAG_NO_BUFFERING | FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file == nullptr || file == INVALID_HANDLE_VALUE) {
            Fail(GetLastError());
            return kNoFile;
        }
        return reinterpret_cast<intptr_t>(file);
    }

    int64_t Write(intptr_t file, const void* data, uint32_t bytes) override {
        DWORD written = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(file), data, bytes, &written, nullptr)) {
            Fail(GetLastError());
            return -1;
        }
        if (written < bytes) Fail(ERROR_DISK_FULL);
        return written;
    }

    bool Flush(intptr_t file) override {
        return FlushFileBuffers(reinterpret_cast<HANDLE>(file)) ? true : Fail(GetLastError());
    }

    void Close(intptr_t file) override { CloseHandle(reinterpret_cast<HANDLE>(file)); }

    void Remove(const char* path) override { DeleteFileA(path); }

    void* AllocateBuffer(size_t bytes) override {
        // Page-aligned and zero-filled: what unbuffered writes need of the address.
        void* buffer = VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!buffer) Fail(ERROR_NOT_ENOUGH_MEMORY);
        return buffer;
    }

    void ReleaseBuffer(void* buffer, size_t) override { VirtualFree(buffer, 0, MEM_RELEASE); }

    void Pause(uint32_t milliseconds) override { Sleep(milliseconds); }

    uint32_t LastError() override { return error_; }

    void ErrorText(uint32_t code, char* out, size_t capacity) override {
        char text[256] = "";
        DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                      0x400, text, sizeof text, nullptr);
        if (length == 0) std::snprintf(text, sizeof text, "Error %lu", static_cast<unsigned long>(code));
        // The system's texts end in a line break, which a one-line field would show.
        while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) text[--length] = '\0';
        CopyBounded(out, text, capacity);
    }

    uint32_t FileExistsCode() override { return ERROR_FILE_EXISTS; }
    uint32_t DiskFullCode() override { return ERROR_DISK_FULL; }
    uint32_t OutOfMemoryCode() override { return ERROR_NOT_ENOUGH_MEMORY; }

private:
    bool Fail(DWORD code) {
        error_ = code;
        return false;
    }

    uint32_t error_ = 0;
};

BOOL WINAPI OnConsoleEvent(DWORD) {
    // Default handling ends the process; closing its handles deletes the file.
    return FALSE;
}

}  // namespace

DiskOps& SystemDiskOps() {
    static Win32DiskOps ops;
    return ops;
}

void RemoveTemporaryFileOnInterrupt() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }
