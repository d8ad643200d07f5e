#include "app/controller.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "app/duration.h"
#include "res/resource.h"
#include "res/version.h"

int g_AboutMenuAdded = 0;

namespace {

constexpr size_t kScratchSize = 260;
constexpr size_t kReadBackSize = 256;  // result fields are read back at most 255 characters

// A result field as a benchmark's progress target.
class FieldProgress final : public ProgressTarget {
  public:
    FieldProgress(DialogHost& host, int id) : host_(host), id_(id) {}
    void Show(const char* text) override {
        host_.SetText(id_, text);
        host_.Repaint(id_);
    }
    void Set(const char* text) override { host_.SetText(id_, text); }

  private:
    DialogHost& host_;
    int id_;
};

enum class Benchmark { kCpuClock, kFlops, kMemory, kDisk };

struct BenchmarkRow {
    int button;
    int field;
    Benchmark benchmark;
};

// Run All goes through them in this order.
constexpr BenchmarkRow kBenchmarkRows[] = {
    {IDC_RUN_CPU_SPEED, IDC_CPU_SPEED_RESULT, Benchmark::kCpuClock},
    {IDC_RUN_FLOPS, IDC_FLOPS_RESULT, Benchmark::kFlops},
    {IDC_RUN_MEMORY, IDC_MEMORY_RESULT, Benchmark::kMemory},
    {IDC_RUN_DISK, IDC_DISK_RESULT, Benchmark::kDisk},
};

const BenchmarkRow* FindBenchmarkRow(int button) {
    for (const BenchmarkRow& row : kBenchmarkRows)
        if (row.button == button) return &row;
    return nullptr;
}

void StampTime(MainDialog* dialog) {
    LocalTime now = dialog->services->Now();
    char month[32] = "";
    dialog->services->MonthName(now.month, month, sizeof month);
    char stamp[kScratchSize];
    FormatTimeStamp(now, month, stamp, sizeof stamp);
    dialog->host->SetText(IDC_STATUS_LINE, stamp);
    dialog->host->Invalidate(IDC_STATUS_LINE);
}

void RunBenchmark(MainDialog* dialog, const BenchmarkRow& row) {
    DialogHost& host = *dialog->host;
    ControllerServices& services = *dialog->services;
    host.Enable(row.button, false);
    dialog->benchmarkRunning = true;

    FieldProgress progress(host, row.field);
    BenchmarkResult result = {};
    uint32_t duration = static_cast<uint32_t>(g_TestDuration);
    switch (row.benchmark) {
        case Benchmark::kCpuClock:
            services.RunCpuClock(progress, &result);
            break;
        case Benchmark::kFlops:
            services.RunFlops(duration, progress, &result);
            break;
        case Benchmark::kMemory:
            services.RunMemory(2 * duration, progress, &result);
            break;
        case Benchmark::kDisk: {
            char drive[kScratchSize] = "";
            host.GetSelectedListText(IDC_DRIVE_LIST, drive, sizeof drive);
            services.RunDisk(drive, 2 * duration, progress, &result);
            break;
        }
    }
    result.text[sizeof result.text - 1] = '\0';
    if (!result.ok && result.showErrorBox)
        host.ShowMessage(result.text, "Disk Benchmark Error", MessageIcon::kError);
    host.SetText(row.field, result.text);
    host.Repaint(row.field);

    // Clicks made while the run held the thread would otherwise start it again.
    host.DiscardQueuedInput();
    dialog->benchmarkRunning = false;
    host.Enable(row.button, true);
    host.Focus(row.button);
}

void StartRunAll(MainDialog* dialog) {
    for (const BenchmarkRow& row : kBenchmarkRows) dialog->host->SetText(row.field, kPendingMarker);
    dialog->host->StartTimer(IDT_RUN_ALL, kRunAllFirstDelayMs);
}

void ShowAbout(MainDialog* dialog) {
    char text[512];
    FormatAboutText(__DATE__, __TIME__, text, sizeof text);
    dialog->host->ShowMessage(text, "About " KELVANE_NAME, MessageIcon::kInformation);
}

void FillDriveList(DialogHost& host, const DriveList& drives) {
    int selectedIndex = -1;
    for (int i = 0; i < drives.count && i < kMaxDrives; ++i) {
        int index = host.AppendListItem(IDC_DRIVE_LIST, drives.names[i]);
        if (i == drives.selected) selectedIndex = index;
    }
    if (selectedIndex >= 0) host.SelectListItem(IDC_DRIVE_LIST, selectedIndex);
}

// What the fields' rules leave out (every set, every adapter, the topology), as their tips.
void ShowFieldDetails(MainDialog* dialog) {
    DialogHost& host = *dialog->host;
    std::unique_ptr<FieldDetails> details(new FieldDetails());
    dialog->services->ReadDetails(details.get());
    const struct {
        int id;
        const char* text;
    } tips[] = {
        {IDC_CPU_DETAILS, details->cpuDetails},
        {IDC_INSTRUCTIONS, details->instructions},
        {IDC_CORES, details->cores},
        {IDC_VIDEO_MEMORY, details->videoMemory},
    };
    for (const auto& tip : tips)
        if (tip.text[0]) host.SetToolTip(tip.id, tip.text);
}

}  // namespace

MainDialog MakeMainDialog(DialogHost& host, ControllerServices& services) {
    return MainDialog{&host, &services, false};
}

void OnDialogOpened(MainDialog* dialog) {
    DialogHost& host = *dialog->host;
    char caption[kScratchSize];
    std::snprintf(caption, sizeof caption, "Kelvane %s", KELVANE_VERSION_TEXT);
    host.SetCaption(caption);
    host.SetSmallIcon();
    host.ApplyDialogFont();

    // The probes run in this order; the summary keeps it.
    // 17 KB: on the heap, not on the dialog procedure's stack.
    std::unique_ptr<SystemSummary> owned(new SystemSummary());
    SystemSummary& summary = *owned;
    dialog->services->ReadSummary(&summary);
    const struct {
        int id;
        const char* text;
    } fields[] = {
        {IDC_CPU_DETAILS, summary.cpuDetails},
        {IDC_CPU_FAMILY, summary.cpuFamily},
        {IDC_CPU_MODEL, summary.cpuModel},
        {IDC_CPU_STEPPING, summary.cpuStepping},
        {IDC_INSTRUCTIONS, summary.instructions},
        {IDC_NOMINAL_SPEED, summary.nominalSpeed},
        {IDC_CORES, summary.cores},
        {IDC_VENDOR, summary.vendor},
        {IDC_MEMORY, summary.memory},
        {IDC_VIDEO_MEMORY, summary.videoMemory},
        {IDC_OS_VERSION, summary.osVersion},
    };
    for (const auto& field : fields) host.SetText(field.id, field.text);
    FillDriveList(host, summary.drives);

    host.StartTimer(IDT_FIELD_DETAILS, kFieldDetailsDelayMs);

    host.InstallStatusLine(IDC_STATUS_LINE);
    host.InstallLink(IDC_WEB_LINK);
    host.SetText(IDC_WEB_LINK, KELVANE_WEB_ADDRESS);
    host.CenterOnDesktop();
}

int OnDialogCommand(MainDialog* dialog, uint32_t commandWord) {
    int id = static_cast<int>(commandWord & 0xFFFF);
    const BenchmarkRow* row = FindBenchmarkRow(id);
    if (dialog->benchmarkRunning && (row || id == IDC_RUN_ALL)) return 1;
    if (row) StampTime(dialog);

    switch (id) {
        case IDC_CLOSE:
        case IDC_CANCEL:
            dialog->host->EndDialog(1);
            break;
        case IDC_RUN_ALL:
            StartRunAll(dialog);
            break;
        case IDM_ABOUT:
            ShowAbout(dialog);
            break;
        default:
            if (row) RunBenchmark(dialog, *row);
            break;
    }
    return 1;
}

void OnDialogTimer(MainDialog* dialog, int timerId) {
    DialogHost& host = *dialog->host;
    host.StopTimer(timerId);
    if (timerId == IDT_FIELD_DETAILS) {
        ShowFieldDetails(dialog);
        return;
    }
    // A tick can arrive while a run holds the thread (a message box's own loop, a toolkit
    // that runs timers while it repaints). Its step would be dropped as a command during a
    // run, and after the disk step nothing restarts the timer: try again after the run.
    if (dialog->benchmarkRunning) {
        host.StartTimer(IDT_RUN_ALL, kRunAllNextDelayMs);
        return;
    }
    for (const BenchmarkRow& row : kBenchmarkRows) {
        char text[kReadBackSize] = "";
        host.GetText(row.field, text, sizeof text);
        if (std::strcmp(text, kPendingMarker) != 0) continue;
        OnDialogCommand(dialog, static_cast<uint32_t>(row.button));
        host.Repaint(row.field);
        if (row.benchmark != Benchmark::kDisk) host.StartTimer(IDT_RUN_ALL, kRunAllNextDelayMs);
        return;
    }
}

void OnDialogMenuPopup(MainDialog* dialog) {
    if (g_AboutMenuAdded) return;
    dialog->host->AddSystemMenuEntry(IDM_ABOUT, "About " KELVANE_NAME "...");
    ++g_AboutMenuAdded;
}

void OnDialogSystemCommand(MainDialog* dialog, uint32_t commandWord) {
    if ((commandWord & 0xFFFF) == IDM_ABOUT) OnDialogCommand(dialog, commandWord);
}

void FormatTimeStamp(const LocalTime& time, const char* monthName, char* out, size_t capacity) {
    if (!out || capacity == 0) return;
    std::snprintf(out, capacity, "Time Stamp:  %s %d, %d at %d:%02d:%02d",
                  monthName ? monthName : "", time.day, time.year, time.hour, time.minute,
                  time.second);
}

void FormatAboutText(const char* buildDate, const char* buildTime, char* out, size_t capacity) {
    if (!out || capacity == 0) return;
    std::snprintf(out, capacity,
                  "Kelvane %s\n\n"
                  "Kelvane shows what this machine is and measures what it can do.\n"
                  "%s\n"
                  "Copyright (c) 2026 the Kelvane developers. MIT License.\n\n"
                  "Build Date: %s  Time: %s",
                  KELVANE_VERSION_TEXT, KELVANE_WEB_ADDRESS, buildDate, buildTime);
}
