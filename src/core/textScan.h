// Bounded line reading and scanf-style field scanning for the game's text
// files (settings, sprite info, map, tileset). The fields are scanned by hand rather than with sscanf so that an
// out-of-range number or an overlong word in a hostile file has a defined
// result instead of undefined behaviour or a buffer overrun.
#pragma once

#include <cstddef>
#include <cstdio>

// Reads one line of at most size - 1 bytes (the line end included when it
// fits) into buf, always terminated; a longer line continues in the next
// read. False at end of file. Called by the map and tileset loaders.
bool readLine(char* buf, int size, FILE* file);

// True for a comment or blank line: first byte '#', '\r', '\n' or the end.
bool isCommentLine(const char* line);

// Like "%d": skips white space, reads an optional sign and at least one
// digit. Values beyond the int range saturate. On success writes *value and,
// when end is not null, the position after the number; on failure leaves
// both untouched and returns false.
bool scanInt(const char* text, int* value, const char** end);

// Like "%s" with a bound: skips white space and copies the following run of
// non-blank bytes into word (size bytes, terminated). False when there is no
// word or it does not fit; word is then untouched. end as for scanInt.
bool scanWord(const char* text, char* word, size_t size, const char** end);

// Like a literal at the start of a scanf format: true when line begins with
// prefix, with *rest set to the text after it.
bool matchPrefix(const char* line, const char* prefix, const char** rest);
