// morv_child_usage PROGRAM ARGS...: runs PROGRAM as its own child, waits for it, and writes one
// line "STATUS PEAK_KIB USER_SECONDS SYSTEM_SECONDS" to file descriptor 3 (STATUS is the exit
// status, -1 when the program could not be started or did not exit normally).
//
// Why a process in between: a process started by fork or posix_spawn keeps its parent's
// high-water mark of resident memory through exec, so a benchmark that has grown to hundreds of
// megabytes would read its own peak as its child's. This program is small when it starts its
// child, and the child's peak is its own from there on. Standard input, output and error pass
// through unchanged.
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kReportDescriptor = 3;

double seconds(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

int report(int status, long peakKiB, double user, double system)
{
    char line[128];
    const int size = std::snprintf(line, sizeof line, "%d %ld %.6f %.6f\n", status, peakKiB,
                                   user, system);
    const bool written = size > 0 && write(kReportDescriptor, line, static_cast<size_t>(size)) == size;
    return written ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: morv_child_usage PROGRAM ARGS...\n");
        return 64;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, kReportDescriptor);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[1], &actions, nullptr, argv + 1, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return report(-1, 0, 0.0, 0.0);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return report(-1, 0, 0.0, 0.0);
    return report(WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss,
                  seconds(usage.ru_utime), seconds(usage.ru_stime));
}
