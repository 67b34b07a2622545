// Scratch files for the fuzz targets: the game's loaders read named files in
// the working folder, so each input is written to a file before it is loaded.
#pragma once

#include <cstddef>
#include <cstdint>

// While it lives, the working folder is a private scratch folder (made on
// first use, in /dev/shm when there is one); the folder libFuzzer was started
// in is restored afterwards, so its corpus and artifact paths keep working.
// One at the start of every fuzz input.
class InScratchFolder {
public:
    InScratchFolder();
    ~InScratchFolder();
    InScratchFolder(const InScratchFolder&) = delete;
    InScratchFolder& operator=(const InScratchFolder&) = delete;

private:
    int startFolder; // open descriptor of the folder to go back to
};
// Writes size bytes to name (relative to the scratch folder), creating the
// folders on its way. Aborts when the file cannot be written.
void writeScratchFile(const char* name, const uint8_t* data, size_t size);
// The same for a text.
void writeScratchText(const char* name, const char* text);
