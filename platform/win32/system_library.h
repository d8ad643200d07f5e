// Optional system libraries loaded from the system folder only: by bare name, the
// program's own folder is searched first, and a file of that name left beside the program
// (in a downloads folder, say) would run with the user's rights.
#pragma once

#include <windows.h>

// The library `name` ("dxgi.dll") from the system folder; nullptr where it is missing.
HMODULE LoadSystemLibrary(const char* name);
