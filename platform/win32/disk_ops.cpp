#include "platform/disk_ops.h"

#include "platform/console.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "text/bounded_copy.h"

namespace {

// Our code for a drive that keeps its data in memory; bit 29 marks a code as the
// application's own, so no system code can be taken for it.
constexpr DWORD kDriveInMemory = 0x20000001;

class Win32DiskOps final : public DiskOps {
  public:
    bool ChooseDirectory(const char* drive, char* out, size_t capacity) override {
        if (!drive || !*drive) return Fail(ERROR_INVALID_DRIVE);
        // GetDriveTypeA wants the root with its backslash; "C:" alone is the current folder.
        char root[MAX_PATH];
        if (drive[1] == ':')
            std::snprintf(root, sizeof root, "%c:\\", drive[0]);
        else
            std::snprintf(root, sizeof root, "%s", drive);
        if (GetDriveTypeA(root) == DRIVE_RAMDISK) {
            CopyBounded(refusedDrive_, drive, sizeof refusedDrive_);
            return Fail(kDriveInMemory);
        }
        if (std::strlen(drive) >= capacity) return Fail(ERROR_FILENAME_EXCED_RANGE);
        CopyBounded(out, drive, capacity);
        return true;
    }

    bool FreeBytes(const char* directory, uint64_t* freeBytes) override {
        ULARGE_INTEGER available;
        if (!directory || !*directory) return Fail(ERROR_INVALID_DRIVE);
        if (!GetDiskFreeSpaceExA(directory, &available, nullptr, nullptr))
            return Fail(GetLastError());
        *freeBytes = available.QuadPart;
        return true;
    }

    intptr_t OpenDirectory(const char* directory) override {
        char path[MAX_PATH];
        // "C:" alone would be the current folder of that drive, not its root.
        size_t length = std::strlen(directory);
        bool slashed = length && (directory[length - 1] == '\\' || directory[length - 1] == '/');
        int written = std::snprintf(path, sizeof path, "%s%s", directory, slashed ? "" : "\\");
        if (written <= 0 || static_cast<size_t>(written) >= sizeof path) {
            Fail(ERROR_FILENAME_EXCED_RANGE);
            return kNoFile;
        }
        // Backup semantics open a directory; sharing everything keeps it usable by others.
        HANDLE held = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (held == INVALID_HANDLE_VALUE) {
            Fail(GetLastError());
            return kNoFile;
        }
        CopyBounded(heldPath_, directory, sizeof heldPath_);
        return reinterpret_cast<intptr_t>(held);
    }

    void CloseDirectory(intptr_t directory) override {
        CloseHandle(reinterpret_cast<HANDLE>(directory));
    }

    // Windows makes files by path only: the path held with the directory is used, and each
    // file is checked to be on the directory's volume afterwards.
    intptr_t CreateNew(intptr_t, uint32_t number) override {
        char path[MAX_PATH];
        int written = std::snprintf(path, sizeof path, "%s\\%lu.bin", heldPath_,
                                    static_cast<unsigned long>(number));
        if (written <= 0 || static_cast<size_t>(written) >= sizeof path) {
            Fail(ERROR_FILENAME_EXCED_RANGE);
            return kNoFile;
        }
        // CREATE_NEW: a file of that name, whoever made it, is never opened. Delete-on-close
        // removes ours however the process ends, and is the only delete: a delete by name
        // after the close could take a file that someone else has made under that name since.
        HANDLE file = CreateFileA(
            path, GENERIC_READ | GENERIC_WRITE,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
            FILE_FLAG_NO_BUFFERING | FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == nullptr || file == INVALID_HANDLE_VALUE) {
            Fail(GetLastError());
            return kNoFile;
        }
        return reinterpret_cast<intptr_t>(file);
    }

    bool StillOnDrive(intptr_t directory, intptr_t file) override {
        BY_HANDLE_FILE_INFORMATION atDirectory, atFile;
        if (GetFileInformationByHandle(reinterpret_cast<HANDLE>(directory), &atDirectory) &&
            GetFileInformationByHandle(reinterpret_cast<HANDLE>(file), &atFile) &&
            atDirectory.dwVolumeSerialNumber == atFile.dwVolumeSerialNumber)
            return true;
        return Fail(ERROR_DEV_NOT_EXIST);
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
        if (code == kDriveInMemory) {
            // Like the code, the drive named is that of the latest refusal.
            std::snprintf(out, capacity,
                          "%s keeps its data in memory (RAM disk): it is not a disk.",
                          refusedDrive_);
            return;
        }
        char text[256] = "";
        DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0x400, text, sizeof text, nullptr);
        if (length == 0)
            std::snprintf(text, sizeof text, "Error %lu", static_cast<unsigned long>(code));
        // The system's texts end in a line break, which a one-line field would show.
        while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
            text[--length] = '\0';
        CopyBounded(out, text, capacity);
    }

    uint32_t FileExistsCode() override { return ERROR_FILE_EXISTS; }
    uint32_t DiskFullCode() override { return ERROR_DISK_FULL; }

  private:
    bool Fail(DWORD code) {
        error_ = code;
        return false;
    }

    uint32_t error_ = 0;
    char refusedDrive_[MAX_PATH] = "";
    char heldPath_[MAX_PATH] = "";
};

BOOL WINAPI OnConsoleEvent(DWORD) {
    // The prompt that follows starts on a clean line.
    EraseLiveLine();
    // Default handling ends the process; closing its handles deletes the file.
    return FALSE;
}

}  // namespace

DiskOps& SystemDiskOps() {
    static Win32DiskOps ops;
    return ops;
}

void RemoveTemporaryFileOnInterrupt() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}
