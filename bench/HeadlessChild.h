#pragma once
// Runs morv_headless in a child process, as a user's command line does, for the benchmarks that
// measure whole commands: its exit status, wall and CPU time and peak resident memory. The
// benchmark's target defines MORV_HEADLESS as the program's path. runChild does the same for
// another program (a mesher run beside ours for comparison).
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <utility>
#include <vector>

extern char** environ;

struct HeadlessChildRun {
    int status = -1;
    double seconds = 0.0;    // wall
    double cpuSeconds = 0.0; // user and system
    double peakMiB = 0.0;
};

// words[0] is the program's path; its standard output goes to /dev/null.
inline HeadlessChildRun runChild(std::vector<std::string> words)
{
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    HeadlessChildRun result;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid) {
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            result.peakMiB = usage.ru_maxrss / 1024.0;
            result.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6
                                + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec * 1e-6;
        }
    }
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

inline HeadlessChildRun runHeadless(const std::vector<std::string>& arguments)
{
    std::vector<std::string> words{MORV_HEADLESS};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return runChild(std::move(words));
}
