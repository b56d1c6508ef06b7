#include "solver/RunEvent.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

RunEvent::RunEvent(const std::string& dataFilePath) : lockPath_(lockFilePath(dataFilePath)) {}

RunEvent::~RunEvent() { release(); }

std::string RunEvent::eventName(const std::string& dataFilePath)
{
    std::string name = dataFilePath;
    for (char& c : name) {
        if (c == '\\')
            c = '/';
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

std::string RunEvent::lockFilePath(const std::string& dataFilePath)
{
    // 64-bit FNV-1a: stable across processes and builds, unlike std::hash.
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : eventName(dataFilePath)) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llX", static_cast<unsigned long long>(h));
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec)
        dir = "/tmp";
    return (dir / (std::string("morv-run-") + hex + ".lock")).string();
}

bool RunEvent::acquire()
{
    if (lockFd_ >= 0)
        return true;
    int fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        // The lock file may belong to another user who ran this document before (mode 0644, or a
        // sticky temporary folder that refuses O_CREAT on a stranger's file): flock needs no
        // write access, so a read-only descriptor locks just as well.
        fd = ::open(lockPath_.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0)
        return false;
    // Each open() is its own open file description, so a second RunEvent of the same file in
    // this process is refused exactly like one in another process.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    lockFd_ = fd;
    return true;
}

void RunEvent::release()
{
    if (lockFd_ >= 0) {
        ::flock(lockFd_, LOCK_UN);
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

void RunEvent::set()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        signalled_ = true;
    }
    cond_.notify_all();
}

void RunEvent::reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
}

void RunEvent::wait()
{
    std::unique_lock<std::mutex> lock(mutex_);
    cond_.wait(lock, [this] { return signalled_; });
}

bool RunEvent::waitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return cond_.wait_for(lock, timeout, [this] { return signalled_; });
}

bool RunEvent::isSet() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return signalled_;
}
