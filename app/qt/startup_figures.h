// kelvane --measure-startup: how long the window took to appear, and what it holds.
#pragma once

#include <chrono>

class QtDialog;

// Waits until the window is painted, prints the figures to stderr and returns 0.
int ReportStartup(std::chrono::steady_clock::time_point mainStarted, QtDialog& dialog);
