// The number of processors, for the "Cores" field and the Whetstone score: those this
// process may use where the system narrows them, else the registry's processor keys.
#pragma once

int CountProcessors();
