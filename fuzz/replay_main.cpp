// Runs a fuzz target's entry point once on each given input, with no mutation: the kept inputs
// of every fault the fuzzers found, so that no such fault comes back. Arguments are files or
// folders (their files, in name order; README files and dot files are passed over). An input
// fails the replay when it crashes (the process dies, under the sanitizers at the first report),
// runs longer than MORV_REPLAY_SECONDS (30), asks for more than MORV_REPLAY_MEMORY_MB (1024) in one
// allocation or makes the process's peak resident memory pass it: the limits the fuzzers run with.
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
#include <new>
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

long environmentNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

// A function, since operator new asks for it before this file's statics are set.
std::size_t memoryLimitMb()
{
    static const std::size_t limit = std::size_t(environmentNumber("MORV_REPLAY_MEMORY_MB", 1024));
    return limit;
}

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

// One allocation beyond the limit is a fault of the input even where the code would survive its
// std::bad_alloc, as under libFuzzer's malloc limit: the program would have asked the machine
// for that much. Under AddressSanitizer its own limit does it (1024 MB here, ASAN_OPTIONS may
// set another).
#ifdef MORV_REPLAY_ASAN
extern "C" const char* __asan_default_options()
{
    return "max_allocation_size_mb=1024";
}
#else
namespace {
void* checkedAllocation(std::size_t size)
{
    if (size > (memoryLimitMb() << 20)) {
        std::fprintf(stderr, "replay: one allocation of %zu bytes on %s\n", size, currentInput);
        std::abort();
    }
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) { return checkedAllocation(size); }
void* operator new[](std::size_t size) { return checkedAllocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
        return 64;
    }
    const long seconds = environmentNumber("MORV_REPLAY_SECONDS", 30);
    const long memoryMb = long(memoryLimitMb());
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
