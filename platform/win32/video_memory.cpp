#include "platform/video_memory.h"

#include <windows.h>
#include <ddraw.h>

namespace {

typedef HRESULT(WINAPI* DirectDrawCreateFunction)(GUID*, LPDIRECTDRAW*, IUnknown*);

// DirectDraw is loaded at run time, so the program starts where it is missing.
class Win32VideoMemory final : public VideoMemorySource {
public:
    uint64_t TotalVideoMemory() override {
        DWORD total = 0;
        HMODULE ddraw = LoadLibraryA("DDRAW.DLL");
        if (!ddraw) return 0;
        auto create = reinterpret_cast<DirectDrawCreateFunction>(
            reinterpret_cast<void*>(GetProcAddress(ddraw, "DirectDrawCreate")));
        if (create) {
            GUID zero = {};
            LPDIRECTDRAW draw = nullptr;
            create(&zero, &draw, nullptr);
            if (draw) {
                static const GUID kDirectDraw7 = {0x15e65ec0, 0x3b9c, 0x11d2,
                                                  {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
                LPDIRECTDRAW7 draw7 = nullptr;
                if (draw->QueryInterface(kDirectDraw7, reinterpret_cast<void**>(&draw7)) >= 0 && draw7) {
                    DDSCAPS2 caps = {};
                    caps.dwCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
                    draw7->GetAvailableVidMem(&caps, &total, nullptr);
                    draw7->Release();
                }
                draw->Release();
            }
        }
        FreeLibrary(ddraw);
        return total;
    }
};

}  // namespace

VideoMemorySource& SystemVideoMemory() {
    static Win32VideoMemory source;
    return source;
}
