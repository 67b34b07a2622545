// Reading and writing "kv.cfg".
#include "core/settings.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/textScan.h"

Settings settings;

bool parseSetting(const char* line, const char* key, int* value)
{
    const char* rest = nullptr;
    if (!matchPrefix(line, key, &rest) || *rest != '=')
        return false;
    // Huge values are accepted like any other but saturate instead of
    // overflowing, so a hand-edited file can never cause undefined behaviour.
    return scanInt(rest + 1, value, nullptr);
}

void loadSettings(int* fullscreen, int* musicVolume, int* sfxVolume, bool* swapP1)
{
    FILE* f = fopen(settingsFileName, "r");
    if (!f) {
        // The current values (the defaults at start-up) stay in force.
        printf("ERROR opening file %s\n\n", settingsFileName);
        return;
    }
    char line[256];
    // Lines are matched by position: each one only against the key of its place.
    if (fgets(line, 255, f)) {
        parseSetting(line, "FULLSCREEN", fullscreen);
        if (fgets(line, 255, f)) {
            parseSetting(line, "MUSIC", musicVolume);
            if (fgets(line, 255, f)) {
                parseSetting(line, "SFX", sfxVolume);
                int swap = 0;
                // A missing or unmatched fourth line keeps the current swapP1.
                if (fgets(line, 255, f) && parseSetting(line, "SWAPP1", &swap))
                    *swapP1 = (swap != 0);
            }
        }
    }
    fclose(f);
}

void saveSettings()
{
    // The file is written under a temporary name and renamed over "kv.cfg", so
    // an interrupted save never leaves a half-written settings file behind.
    const std::string tempName = std::string(settingsFileName) + ".tmp";
    FILE* f = fopen(tempName.c_str(), "wb");
    bool ok = (f != nullptr);
    if (ok) {
        char buf[256];
        snprintf(buf, sizeof buf, "FULLSCREEN=%d\r\n", settings.fullscreen);
        ok = fputs(buf, f) >= 0;
        snprintf(buf, sizeof buf, "MUSIC=%d\r\n", settings.musicVolume);
        ok = ok && fputs(buf, f) >= 0;
        snprintf(buf, sizeof buf, "SFX=%d\r\n", settings.sfxVolume);
        ok = ok && fputs(buf, f) >= 0;
        snprintf(buf, sizeof buf, "SWAPP1=%d", settings.swapP1 ? 1 : 0);
        ok = ok && fputs(buf, f) >= 0;
        ok = (fclose(f) == 0) && ok;
        ok = ok && rename(tempName.c_str(), settingsFileName) == 0;
        if (!ok)
            remove(tempName.c_str());
    }
    // Reported in every run, not only in debug runs: the player must learn
    // that the settings were not saved.
    if (!ok)
        printf("ERROR opening file %s\n\n", settingsFileName);
}
