// Settings parser: any "kv.cfg" loads without harm, and what it loaded is
// saved and loaded back unchanged.
#include <cstdint>
#include <cstdlib>

#include "core/settings.h"
#include "fuzzFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InScratchFolder scratch;
    writeScratchFile(settingsFileName, data, size);

    Settings loaded;
    loadSettings(&loaded.fullscreen, &loaded.musicVolume, &loaded.sfxVolume, &loaded.swapP1);
    settings = loaded;
    saveSettings();
    Settings again;
    loadSettings(&again.fullscreen, &again.musicVolume, &again.sfxVolume, &again.swapP1);
    if (again.fullscreen != loaded.fullscreen || again.musicVolume != loaded.musicVolume ||
        again.sfxVolume != loaded.sfxVolume || again.swapP1 != loaded.swapP1)
        std::abort();
    return 0;
}
