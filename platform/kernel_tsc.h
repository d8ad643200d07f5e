// The time-stamp counter's rate as the kernel calibrated it, for the bench mode's check.
#pragma once

// MHz, or 0 when the system does not say (then KELVANE_TSC_MHZ may give it).
double KernelTscMhz();
