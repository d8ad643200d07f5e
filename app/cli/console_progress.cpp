#include "app/cli/console_progress.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "platform/console.h"

namespace {

constexpr int kMaxLineWidth = 511;
constexpr int kBarWidth = 20;

uint64_t NowMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

// The text without the line feeds some progress texts end with.
void CopyLine(const char* text, char* out, size_t capacity) {
    size_t length = 0;
    while (text[length] && text[length] != '\n' && length + 1 < capacity) ++length;
    std::memcpy(out, text, length);
    out[length] = '\0';
}

}  // namespace

int ProgressLineWidth(int terminalColumns, const char* columnsVariable) {
    int columns = terminalColumns;
    if (columns <= 0 && columnsVariable) {
        char* end = nullptr;
        const long given = std::strtol(columnsVariable, &end, 10);
        columns = end != columnsVariable && *end == '\0' && given > 0 && given < 100000
                      ? static_cast<int>(given)
                      : 0;
    }
    if (columns <= 0) columns = 80;
    // One column short of the edge: a line that fills the last one wraps on some consoles.
    columns -= 1;
    if (columns < 20) columns = 20;
    return columns > kMaxLineWidth ? kMaxLineWidth : columns;
}

void FormatProgressLine(const char* step, uint32_t elapsedMs, uint32_t expectedMs, const char* text,
                        int width, char* out) {
    if (width < 20) width = 20;
    char bar[kBarWidth + 1];
    int filled = expectedMs ? static_cast<int>(uint64_t{elapsedMs} * kBarWidth / expectedMs) : 0;
    if (filled > kBarWidth) filled = kBarWidth;
    for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = '\0';
    char line[512];
    std::snprintf(line, sizeof line, "%-14s [%s] %5.1f s / ~%.1f s  %s", step, bar,
                  elapsedMs / 1000.0, expectedMs / 1000.0, text);
    std::snprintf(out, static_cast<size_t>(width) + 1, "%s", line);
}

ProgressStyle ChooseProgressStyle(std::FILE* err, bool quiet) {
    if (quiet) return ProgressStyle::kQuiet;
    return IsTerminal(err) ? ProgressStyle::kBar : ProgressStyle::kLines;
}

ConsoleProgress::ConsoleProgress(std::FILE* err, ProgressStyle style) : err_(err), style_(style) {}

ConsoleProgress::~ConsoleProgress() {
    EndStep();
}

void ConsoleProgress::BeginStep(const char* step, uint32_t expectedMs) {
    EndStep();
    if (style_ == ProgressStyle::kQuiet) return;
    if (style_ == ProgressStyle::kLines) {
        std::fprintf(err_, "%s\n", step);
        std::fflush(err_);
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    CopyLine(step, step_, sizeof step_);
    text_[0] = '\0';
    expectedMs_ = expectedMs;
    startMs_ = NowMs();
    running_ = true;
    Draw();
    // The benchmark holds this thread for seconds: a second one keeps the time moving.
    // Where the system starts no more threads (a pids limit), plain lines tell the same.
    try {
        ticker_ = std::thread(&ConsoleProgress::Tick, this);
    } catch (const std::system_error&) {
        running_ = false;
        style_ = ProgressStyle::kLines;
        std::fprintf(err_, "\r%*s\r%s\n", width_, "", step_);
        std::fflush(err_);
    }
}

void ConsoleProgress::EndStep() {
    if (!ticker_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
    }
    wake_.notify_all();
    ticker_.join();
    SetLiveLine(err_, 0);
    std::fprintf(err_, "\r%*s\r", width_, "");
    std::fflush(err_);
}

void ConsoleProgress::Show(const char* text) {
    Set(text);
}

void ConsoleProgress::Set(const char* text) {
    if (style_ == ProgressStyle::kQuiet) return;
    if (style_ == ProgressStyle::kLines) {
        char line[256];
        CopyLine(text, line, sizeof line);
        std::fprintf(err_, "  %s\n", line);
        std::fflush(err_);
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    CopyLine(text, text_, sizeof text_);
    if (running_) Draw();
}

void ConsoleProgress::Draw() {
    // Read at every draw: the terminal may have been resized since the last.
    const int width = ProgressLineWidth(TerminalColumns(err_), std::getenv("COLUMNS"));
    if (width != width_ && width_ > 0)
        std::fprintf(err_, "\r%*s", width < width_ ? width : width_, "");
    width_ = width;
    char line[kMaxLineWidth + 1];
    uint64_t elapsed = NowMs() - startMs_;
    FormatProgressLine(step_, elapsed > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(elapsed),
                       expectedMs_, text_, width, line);
    // Carriage return and padding rather than escape sequences: every console takes them.
    // The cursor goes back to the start, so that what the terminal echoes (^C) lands on
    // the line instead of wrapping past its end.
    std::fprintf(err_, "\r%-*s\r", width, line);
    std::fflush(err_);
    SetLiveLine(err_, width);
}

void ConsoleProgress::Tick() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (running_) {
        wake_.wait_for(lock, std::chrono::milliseconds(200));
        if (running_) Draw();
    }
}
