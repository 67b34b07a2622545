// Scratch folder and files shared by the fuzz targets.
#include "fuzzFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The scratch folder's path, made once per process.
const char* scratchFolder()
{
    static char pattern[] = "/dev/shm/kvfuzz-XXXXXX";
    static char fallback[] = "/tmp/kvfuzz-XXXXXX";
    static const char* dir = nullptr;
    if (dir == nullptr) {
        dir = mkdtemp(pattern);
        if (dir == nullptr)
            dir = mkdtemp(fallback);
        if (dir == nullptr) {
            std::perror("kvfuzz: scratch folder");
            std::abort();
        }
    }
    return dir;
}

} // namespace

InScratchFolder::InScratchFolder() : startFolder(open(".", O_RDONLY | O_DIRECTORY))
{
    if (startFolder < 0 || chdir(scratchFolder()) != 0) {
        std::perror("kvfuzz: scratch folder");
        std::abort();
    }
}

InScratchFolder::~InScratchFolder()
{
    if (fchdir(startFolder) != 0)
        std::abort();
    close(startFolder);
}

void writeScratchFile(const char* name, const uint8_t* data, size_t size)
{
    // Parent folders first ("data/maps/x" needs "data" and "data/maps").
    std::string path = name;
    for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0700);
    FILE* f = std::fopen(name, "wb");
    if (f == nullptr || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror(name);
        std::abort();
    }
}

void writeScratchText(const char* name, const char* text)
{
    writeScratchFile(name, reinterpret_cast<const uint8_t*>(text), std::strlen(text));
}
