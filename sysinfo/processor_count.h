// The number of processors, for the "Cores" field and the Whetstone score.
#pragma once

int CountProcessors();
