// The game's music and samples over the sound layer.
#pragma once

struct FSOUND_STREAM;
struct FSOUND_SAMPLE;

extern FSOUND_STREAM* musicStream; // "data/delay2.ogg", opened by initSound, closed by cleanup
extern FSOUND_SAMPLE* samples[3];  // 0 menu move, 1 menu confirm, 2 countdown warning
extern int musicChannel;           // channel of the latest music start; 0 before the first playing frame

// Library volume (0..255) of a settings level: level x 25, clamped, computed
// without overflow for any stored level.
int volumeFromLevel(int level);
// Starts the sound layer and opens the music stream and the three samples. Called once by main.
void initSound();
// Plays the music stream (keeps it playing) at the music volume. Every playing frame.
void startMusic();
// Plays sample 0..2 and re-applies the effect and music volumes. Menus and the countdown.
void playSample(int index);
