#pragma once
// What the fuzz targets share: a scratch folder of their own, whole-file writes, and the
// source tree's fixed files that some targets read beside the fuzzed one. The first call of
// fuzzScratchFolder() also creates the application object and silences postMessage, so a
// target behaves as the program does without flooding the output.
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// The folder (with a trailing '/') the targets write their files into; removed at exit.
const QString& fuzzScratchFolder();

// Writes the bytes as the whole file at path.
void writeFuzzFile(const QString& path, const std::uint8_t* data, std::size_t size);
void writeFuzzFile(const QString& path, const std::string& text);

// The messages the code posted since the process started (postMessage), and the last one; a
// target compares the count before and after a step to see whether the step said anything.
int fuzzMessageCount();
QString fuzzLastMessage();

// Set by MORV_FUZZ_VERBOSE: the targets then say on standard error how far each input went, to
// see what seeds and kept inputs reach.
bool fuzzVerbose();

// A fault the target found by checking a result (not a crash of the code itself): writes
// "fuzz: fault: <kind>: <detail>" to standard error and aborts, so that libFuzzer keeps the
// input. Kinds named in MORV_FUZZ_TOLERATE (comma-separated) are only written, as
// "fuzz: tolerated: ...", and the input goes on: a known fault whose fix is under way then does
// not hide the others.
void fuzzFault(const std::string& kind, const std::string& detail);
// The input being run, for fuzzFault: with MORV_FUZZ_TOLERATED_DIR set, a tolerated fault's
// input is written there ("<kind>-<size>-<hash>", at most 20 a kind and process), so that the
// known faults still leave their inputs.
void fuzzSetInput(const std::uint8_t* data, std::size_t size);

// A file of the source tree, e.g. "tests/solver/data/point0d.MVAT$".
QString sourceFile(const char* relativePath);
std::string readSourceFile(const char* relativePath);

// The wall bound of one input's work: when the object lives longer than the limit, `expire` is
// called once from another thread (it sets the stop request of a run or the cancel flag of a
// mesh generation), and a line on standard error says so. A target that bounds its work by
// counts as well only reaches it with a pathological input; libFuzzer's own time-out is then
// kept for work that ignores the stop, a real hang. The limit is MORV_FUZZ_WALL_MS (2000).
class FuzzWallBound {
public:
    explicit FuzzWallBound(std::function<void()> expire);
    ~FuzzWallBound();
    FuzzWallBound(const FuzzWallBound&) = delete;
    FuzzWallBound& operator=(const FuzzWallBound&) = delete;
    bool expired() const;

private:
    std::function<void()> expire_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    bool expired_ = false;
    std::thread watcher_;
};
