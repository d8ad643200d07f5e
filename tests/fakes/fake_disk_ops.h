// A scripted disk: a drive refused or written elsewhere, free space, names that exist already,
// a disk that fills after n MiB, failed creates and allocations. Records what it was asked.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_clock.h"
#include "platform/disk_ops.h"

class FakeDiskOps final : public DiskOps {
  public:
    enum : uint32_t { kExists = 80, kFull = 112, kDenied = 5, kNoDrive = 15, kGone = 55 };
    enum : uint32_t { kNotADisk = 0x20003 };

    FakeClock* clock = nullptr;  // required: writes move it on by msPerMiB per MiB, pauses too
    uint32_t msPerMiB = 1;
    uint64_t freeBytes = 100ull << 30;
    uint32_t refuseDrive = 0;    // ChooseDirectory fails with this code
    std::string writeElsewhere;  // the directory chosen instead of the drive
    bool freeQueryFails = false;
    uint64_t fillsAfterMiB = UINT64_MAX;  // writes beyond this many MiB write nothing
    uint32_t createError = 0;             // every create fails with this code
    size_t largestBuffer = SIZE_MAX;      // allocations above this fail
    size_t goneAfterFiles = SIZE_MAX;     // the drive goes away once this many files were made
    std::set<std::string> existing;       // files somebody else owns
    std::set<std::string> present;        // files of ours that exist now
    std::vector<std::string> created, removed;
    std::vector<uint32_t> writes;  // MiB per write call
    std::string freeQueriedFor;
    int buffersHeld = 0;
    int directoriesHeld = 0;

    bool ChooseDirectory(const char* drive, char* out, size_t capacity) override {
        if (refuseDrive) return Fail(refuseDrive, false);
        std::snprintf(out, capacity, "%s", writeElsewhere.empty() ? drive : writeElsewhere.c_str());
        return true;
    }
    bool FreeBytes(const char* directory, uint64_t* bytes) override {
        freeQueriedFor = directory;
        if (freeQueryFails) return Fail(kNoDrive, false);
        *bytes = freeBytes;
        return true;
    }
    intptr_t OpenDirectory(const char* directory) override {
        ++directoriesHeld;
        directory_ = directory;
        return 7;
    }
    void CloseDirectory(intptr_t) override { --directoriesHeld; }
    intptr_t CreateNew(intptr_t directory, uint32_t number) override {
        if (directory != 7) return Fail(kNoDrive, kNoFile);
        const std::string path = directory_ + "\\" + std::to_string(number) + ".bin";
        if (existing.count(path) || present.count(path)) return Fail(kExists, kNoFile);
        if (createError) return Fail(createError, kNoFile);
        present.insert(path);
        created.push_back(path);
        open_ = path;
        return 3;
    }
    bool StillOnDrive(intptr_t, intptr_t) override {
        return created.size() <= goneAfterFiles || Fail(kGone, false);
    }
    int64_t Write(intptr_t, const void* data, uint32_t bytes) override {
        uint32_t mib = bytes >> 20;
        writes.push_back(mib);
        // Touch the last byte: a buffer shorter than the write is a heap overrun under ASan.
        (void)static_cast<const volatile unsigned char*>(data)[bytes - 1];
        clock->Advance(static_cast<uint64_t>(mib) * msPerMiB);
        if (writtenMiB_ + mib > fillsAfterMiB) return Fail(kFull, int64_t{-1});
        writtenMiB_ += mib;
        return bytes;
    }
    bool Flush(intptr_t) override { return true; }
    void Close(intptr_t) override {  // the file goes with its handle
        removed.push_back(open_);
        present.erase(open_);
        open_.clear();
    }
    void* AllocateBuffer(size_t bytes) override {
        if (bytes > largestBuffer) return Fail(uint32_t{8}, nullptr);
        ++buffersHeld;
        return std::calloc(bytes, 1);
    }
    void ReleaseBuffer(void* buffer, size_t) override {
        --buffersHeld;
        std::free(buffer);
    }
    void Pause(uint32_t milliseconds) override { clock->Advance(milliseconds); }
    uint32_t LastError() override { return error_; }
    void ErrorText(uint32_t code, char* out, size_t capacity) override {
        std::snprintf(out, capacity, "system text %lu", static_cast<unsigned long>(code));
    }
    uint32_t FileExistsCode() override { return kExists; }
    uint32_t DiskFullCode() override { return kFull; }

  private:
    // Records `code` as the last error and hands back the call's failure value.
    template <typename T>
    T Fail(uint32_t code, T failure) {
        error_ = code;
        return failure;
    }
    uint32_t error_ = 0;
    uint64_t writtenMiB_ = 0;
    std::string open_, directory_;
};
