// The player's persisted choices and the "kv.cfg" file that holds them.
#pragma once

struct Settings {
    int fullscreen = 0;        // non-zero: full screen at start-up; the options screen toggles 0/1
    int musicVolume = 128;     // music level; the music channel gets musicVolume x 25 (menu keeps 0..10)
    int sfxVolume = 128;       // effects level; all channels get sfxVolume x 25 (menu keeps 0..10)
    bool swapP1 = false;       // true: Gant Rellik is the first player (takes effect at next start)
    bool showControls = false; // not stored: true while F1 is held
};

extern Settings settings; // the one Settings object, defaults before "kv.cfg" is read

// Name of the settings file, in the working folder.
constexpr const char* settingsFileName = "kv.cfg";

// Reads "kv.cfg" into the four fields; a line that does not match keeps its
// field. Prints "ERROR opening file kv.cfg\n\n" when the file cannot be opened.
// Called once by initWindow before the window exists.
void loadSettings(int* fullscreen, int* musicVolume, int* sfxVolume, bool* swapP1);

// Writes the four fields of settings to "kv.cfg" (CR LF after the first three
// lines, none after the last). Called by the options screen's "Return".
void saveSettings();

// Parses "KEY=<int>" the way scanf's "KEY=%d" does: the literal must match
// exactly, blanks after '=' are skipped, parsing stops after the digits.
// Out-of-range numbers saturate to the int range. False leaves *value alone.
bool parseSetting(const char* line, const char* key, int* value);
