// The game's music and samples over the sound layer.
#pragma once

// Starts the sound layer and opens the music stream and the three samples. Called once by main.
void initSound();
// Plays the music stream (keeps it playing) at the music volume. Every playing frame.
void startMusic();
// Plays sample 0..2 and re-applies the effect and music volumes.
void playSample(int index);
