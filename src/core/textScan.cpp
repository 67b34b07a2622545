// Bounded line reading and field scanning for the game's text files.
#include "core/textScan.h"

#include <cctype>
#include <climits>
#include <cstring>

namespace {

const char* skipSpace(const char* p)
{
    while (*p != '\0' && std::isspace(static_cast<unsigned char>(*p)))
        p++;
    return p;
}

} // namespace

bool readLine(char* buf, int size, FILE* file)
{
    if (size < 2)
        return false;
    return std::fgets(buf, size, file) != nullptr;
}

bool isCommentLine(const char* line)
{
    return line[0] == '#' || line[0] == '\r' || line[0] == '\n' || line[0] == '\0';
}

bool scanInt(const char* text, int* value, const char** end)
{
    const char* p = skipSpace(text);
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        p++;
    }
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    // Accumulate the magnitude with a cap so a hundred-digit number cannot
    // overflow; it then saturates to the int range.
    long long magnitude = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
        if (magnitude <= static_cast<long long>(INT_MAX) + 1)
            magnitude = magnitude * 10 + (*p - '0');
        p++;
    }
    long long v = negative ? -magnitude : magnitude;
    if (v > INT_MAX)
        v = INT_MAX;
    if (v < INT_MIN)
        v = INT_MIN;
    *value = static_cast<int>(v);
    if (end)
        *end = p;
    return true;
}

bool scanWord(const char* text, char* word, size_t size, const char** end)
{
    const char* p = skipSpace(text);
    const char* start = p;
    while (*p != '\0' && !std::isspace(static_cast<unsigned char>(*p)))
        p++;
    size_t length = static_cast<size_t>(p - start);
    if (length == 0 || length >= size)
        return false;
    std::memcpy(word, start, length);
    word[length] = '\0';
    if (end)
        *end = p;
    return true;
}

bool matchPrefix(const char* line, const char* prefix, const char** rest)
{
    size_t n = std::strlen(prefix);
    if (std::strncmp(line, prefix, n) != 0)
        return false;
    *rest = line + n;
    return true;
}
