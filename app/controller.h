// The main dialog's behaviour, independent of the toolkit that shows it: what fills which
// field when it opens, what each command does, the Run All sequence and the About box.
#pragma once

#include <cstdint>

#include "app/controller_services.h"
#include "app/dialog_host.h"

// Incremented when the About entry has been added to the system menu.
extern int g_AboutMenuAdded;

constexpr int kRunAllFirstDelayMs = 100;
constexpr int kRunAllNextDelayMs = 250;
// The fields' tips are read once the dialog shows: listing graphics adapters can take a
// system a good part of a second, and a tip is only wanted after a hover anyway.
constexpr int kFieldDetailsDelayMs = 50;
constexpr const char kPendingMarker[] = "...";

struct MainDialog {
    DialogHost* host;
    ControllerServices* services;
    bool benchmarkRunning;  // a command that arrives during a run is dropped
};

MainDialog MakeMainDialog(DialogHost& host, ControllerServices& services = SystemControllerServices());

// The dialog has been created: caption, icon, fonts, the probes in their order, the two
// custom labels, centring.
void OnDialogOpened(MainDialog* dialog);
// A command (the low 16 bits are the identifier). Returns the dialog-procedure result.
int OnDialogCommand(MainDialog* dialog, uint32_t commandWord);
// A timer message of the Run All sequence.
void OnDialogTimer(MainDialog* dialog, int timerId);
// A pop-up menu of the dialog is about to open: adds the About entry the first time.
void OnDialogMenuPopup(MainDialog* dialog);
// A system-menu command; the About entry is passed on as a command.
void OnDialogSystemCommand(MainDialog* dialog, uint32_t commandWord);

// "Time Stamp:  April 3, 2009 at 18:33:49" for `time` with its month's name.
void FormatTimeStamp(const LocalTime& time, const char* monthName, char* out, size_t capacity);
// The About box text; `buildDate` like "Apr  3 2009", `buildTime` like "18:33:49".
void FormatAboutText(const char* buildDate, const char* buildTime, char* out, size_t capacity);
