// Runs a fuzz target's entry point once on each given input, with no mutation: the kept inputs
// of every fault the fuzzers found, so that no such fault comes back. Arguments are files or
// folders (their files, in name order; README files and dot files are passed over). An input
// fails the replay when it crashes (the process dies, under the sanitizers at the first report),
// runs longer than MORV_REPLAY_SECONDS (30) or makes the process's peak resident memory pass
// MORV_REPLAY_MEMORY_MB (1024), the limits the fuzzers run with.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

#if defined(__SANITIZE_ADDRESS__)
#define MORV_REPLAY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MORV_REPLAY_ASAN 1
#endif
#endif

namespace {

namespace fs = std::filesystem;

// The input in progress, for the time-out message (written from the signal handler).
char currentInput[4096];

void onAlarm(int)
{
    static const char text[] = "replay: time limit passed on ";
    (void)!write(STDERR_FILENO, text, sizeof text - 1);
    (void)!write(STDERR_FILENO, currentInput, std::char_traits<char>::length(currentInput));
    (void)!write(STDERR_FILENO, "\n", 1);
    _exit(1);
}

long environmentNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

bool passedOver(const fs::path& file)
{
    const std::string name = file.filename().string();
    return name.empty() || name[0] == '.' || name.rfind("README", 0) == 0;
}

void collect(const fs::path& argument, std::vector<fs::path>& inputs)
{
    if (!fs::is_directory(argument)) {
        inputs.push_back(argument);
        return;
    }
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(argument))
        if (entry.is_regular_file() && !passedOver(entry.path()))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    inputs.insert(inputs.end(), files.begin(), files.end());
}

long peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
        return 64;
    }
    const long seconds = environmentNumber("MORV_REPLAY_SECONDS", 30);
    const long memoryMb = environmentNumber("MORV_REPLAY_MEMORY_MB", 1024);
#ifndef MORV_REPLAY_ASAN
    // A request far beyond the limit fails at once instead of paging the machine to a halt;
    // AddressSanitizer reserves its shadow memory as address space, so not under it.
    const rlim_t space = rlim_t(4 * memoryMb) << 20;
    const rlimit limit{space, space};
    setrlimit(RLIMIT_AS, &limit);
#endif
    std::signal(SIGALRM, onAlarm);

    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i)
        collect(argv[i], inputs);
    for (const fs::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "replay: cannot read %s\n", input.c_str());
            return 1;
        }
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const std::string name = input.string();
        std::snprintf(currentInput, sizeof currentInput, "%s", name.c_str());
        std::fprintf(stderr, "replay: %s (%zu bytes)\n", name.c_str(), bytes.size());
        alarm(static_cast<unsigned>(seconds));
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        alarm(0);
        if (peakMegabytes() > memoryMb) {
            std::fprintf(stderr, "replay: peak memory %ld MB passed %ld MB on %s\n", peakMegabytes(),
                         memoryMb, name.c_str());
            return 1;
        }
    }
    std::fprintf(stderr, "replay: %zu input(s) passed\n", inputs.size());
    return 0;
}
