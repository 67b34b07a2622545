#include "support/testUtil.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

#ifdef KV_TEST_DEFAULT_ENV
// Sets the test environment ("NAME=value|NAME=value") before any test runs,
// keeping whatever the caller already set.
static const bool testEnvReady = [] {
    std::string all = KV_TEST_DEFAULT_ENV;
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find('|', start);
        if (end == std::string::npos)
            end = all.size();
        const std::string item = all.substr(start, end - start);
        const size_t eq = item.find('=');
        if (eq != std::string::npos)
            setenv(item.substr(0, eq).c_str(), item.substr(eq + 1).c_str(), 0);
        start = end + 1;
    }
    return true;
}();
#endif

ScopedTempDir::ScopedTempDir()
{
    char tmpl[] = "/tmp/kvtest-XXXXXX";
    if (!mkdtemp(tmpl))
        throw std::runtime_error("mkdtemp failed");
    dir = tmpl;
    oldDir = fs::current_path().string();
    fs::current_path(dir);
}

ScopedTempDir::~ScopedTempDir()
{
    std::error_code ec;
    fs::current_path(oldDir, ec);
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir, ec);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    fs::path p(path);
    if (p.has_parent_path())
        fs::create_directories(p.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool fileExists(const std::string& path)
{
    return fs::exists(path);
}

StdoutCapture::StdoutCapture()
{
    fflush(stdout);
    char tmpl[] = "/tmp/kvstdout-XXXXXX";
    int fd = mkstemp(tmpl);
    if (fd < 0)
        throw std::runtime_error("mkstemp failed");
    tempPath = tmpl;
    savedFd = dup(1);
    dup2(fd, 1);
    close(fd);
    active = true;
}

std::string StdoutCapture::stop()
{
    if (!active)
        return {};
    fflush(stdout);
    dup2(savedFd, 1);
    close(savedFd);
    active = false;
    std::string text = readFile(tempPath);
    unlink(tempPath.c_str());
    return text;
}

StdoutCapture::~StdoutCapture()
{
    stop();
}
