// Small helpers shared by the tests.
#pragma once

#include <string>

// A fresh temporary folder that becomes the working directory for the
// lifetime of the object; the old working directory and the folder's
// removal are restored on destruction.
class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;
    const std::string& path() const { return dir; }

private:
    std::string dir;
    std::string oldDir;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);

// Captures what the code under test prints on stdout between start and stop.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    std::string stop();

private:
    int savedFd = -1;
    std::string tempPath;
    bool active = false;
};
