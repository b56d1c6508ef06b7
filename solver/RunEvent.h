#pragma once
// The event of one run: an in-process manual-reset signal through which the run thread wakes
// the monitor's refresh thread, and the run lock that keeps a second run of the same solver
// data file from starting, in this process or in another one.
//
// The lock is an flock on a file in the system temporary folder, named by the hex of a hash of
// the event name (the data file path with every "\" replaced by "/", upper-cased). flock dies
// with the process, so a crashed instance leaves no lock behind.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

class RunEvent {
public:
    explicit RunEvent(const std::string& dataFilePath);
    ~RunEvent();
    RunEvent(const RunEvent&) = delete;
    RunEvent& operator=(const RunEvent&) = delete;

    // Takes the run lock; false when another holder (this or another process) has it.
    bool acquire();
    // Gives the run lock back; harmless when not held.
    void release();
    bool held() const { return lockFd_ >= 0; }

    // Manual-reset signal: set wakes every waiter and stays set until reset.
    void set();
    void reset();
    void wait();
    // Waits at most `timeout`; true when the signal is set.
    bool waitFor(std::chrono::milliseconds timeout);
    bool isSet() const;

    // The run's event name: the path with "\" replaced by "/", upper-cased.
    static std::string eventName(const std::string& dataFilePath);
    // Full path of the lock file of a data file.
    static std::string lockFilePath(const std::string& dataFilePath);

private:
    std::string lockPath_;
    int lockFd_ = -1;
    mutable std::mutex mutex_;
    std::condition_variable cond_;
    bool signalled_ = false;
};
