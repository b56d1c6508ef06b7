#pragma once
// Runs morv_headless in a child process, as a user's command line does, for the benchmarks that
// measure whole commands: its exit status, wall and CPU time and peak resident memory. The
// benchmark's target defines MORV_HEADLESS as the program's path. runChild does the same for
// another program (a mesher run beside ours for comparison).
//
// The child is started through morv_child_usage (MORV_CHILD_USAGE), which reports the child's
// own peak: a child started directly would carry this process's high-water mark through exec.
#include <cerrno>
#include <charconv>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
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
    words.insert(words.begin(), MORV_CHILD_USAGE);
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    HeadlessChildRun result;
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, report[1], 3); // the copy is not close-on-exec
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const bool spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(report[1]);
    std::string line;
    if (spawned) {
        char buf[256];
        for (;;) {
            const ssize_t got = read(report[0], buf, sizeof buf);
            if (got > 0)
                line.append(buf, static_cast<std::size_t>(got));
            else if (got == 0 || errno != EINTR)
                break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
    close(report[0]);
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Four numbers, read without the locale (which the benchmark's application may have set).
    double fields[4] = {-1, 0, 0, 0};
    const char* at = line.data();
    const char* const end = line.data() + line.size();
    int read = 0;
    for (; read < 4 && at < end; ++read) {
        while (at < end && *at == ' ')
            ++at;
        const auto [next, ec] = std::from_chars(at, end, fields[read]);
        if (ec != std::errc())
            break;
        at = next;
    }
    if (read == 4) {
        result.status = static_cast<int>(fields[0]);
        result.peakMiB = fields[1] / 1024.0;
        result.cpuSeconds = fields[2] + fields[3];
    }
    return result;
}

inline HeadlessChildRun runHeadless(const std::vector<std::string>& arguments)
{
    std::vector<std::string> words{MORV_HEADLESS};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return runChild(std::move(words));
}
