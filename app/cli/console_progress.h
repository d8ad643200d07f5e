// kelvane-cli's progress on stderr: on a terminal one live line per step with a bar and the
// elapsed and expected time, redrawn while the benchmark works; elsewhere (a pipe, a log)
// plain lines as the texts come; with --quiet nothing.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/progress.h"

enum class ProgressStyle { kQuiet, kLines, kBar };

// The bar line for a step: "CPU FLOPS:     [#####.........]   2.9 s / ~6.0 s  Whetstone 64
// iterations...", cut to `width` columns (at least 20). `out` holds width + 1 bytes.
void FormatProgressLine(const char* step, uint32_t elapsedMs, uint32_t expectedMs, const char* text,
                        int width, char* out);

// The live line's width: the terminal's columns, else $COLUMNS, else 80; one less, so
// the line never fills the last column; 20 to 511.
int ProgressLineWidth(int terminalColumns, const char* columnsVariable);

class ConsoleProgress final : public ProgressTarget {
  public:
    ConsoleProgress(std::FILE* err, ProgressStyle style);
    ~ConsoleProgress();
    ConsoleProgress(const ConsoleProgress&) = delete;
    ConsoleProgress& operator=(const ConsoleProgress&) = delete;

    // A step begins: its name and how long it is expected to take.
    void BeginStep(const char* step, uint32_t expectedMs);
    // The step ended; its live line is cleared.
    void EndStep();

    void Show(const char* text) override;
    void Set(const char* text) override;

  private:
    void Draw();  // with mutex_ held
    void Tick();

    std::FILE* err_;
    ProgressStyle style_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread ticker_;
    bool running_ = false;
    char step_[64] = "";
    char text_[256] = "";
    uint32_t expectedMs_ = 0;
    uint64_t startMs_ = 0;
    int width_ = 0;  // of the line drawn last
};

// ProgressStyle for stderr: kQuiet with --quiet, kBar on a terminal, kLines otherwise.
ProgressStyle ChooseProgressStyle(std::FILE* err, bool quiet);
