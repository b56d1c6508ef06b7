// The engine on any solver data file: reading the file into the run state, the checks of its
// code sections, the log, the work arrays and the stencils, and then, for a problem small
// enough, the run itself with its work bounded (fuzz/FuzzRun.h): the ASSUME section, the
// INITIAL solve and a few time steps of Newton iterations through the byte-code interpreter.
#include "fuzz/FuzzRun.h"
#include "fuzz/FuzzSupport.h"

#ifdef MORV_LIBFUZZER
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzSetInput(data, size);
    const QString path = fuzzScratchFolder() + QStringLiteral("run.MVAT$");
    writeFuzzFile(path, data, size);
    runBounded(path.toStdString());
    return 0;
}

#ifdef MORV_LIBFUZZER
extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

// Values a byte of a code section often takes: opcodes, operand kinds, function ids, directive
// codes, small indices.
constexpr std::array<int, 40> codeBytes{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 21, 22, 23,
                                        26, 27, 31, 32, 33, 34, 35, 36, 37, 39, 41, 42, 43, 44,
                                        51, 101, 102, 103, 104, 121, 122, 123, 255, 30, 38, 40};
constexpr std::array<long long, 14> integers{0,   1,   2,     3,     -1,         5,
                                             8,   100, 255,   256,   65535,      2147483647,
                                             -2147483648LL, 1000000};
constexpr std::array<double, 14> reals{0,     1,      -1,     0.5,  1e-300, 1e300, 1.7e308,
                                       -1e308, 1e-10, 2,      10,   1e5,    -0.5,  4.9e-324};

bool tokenChar(std::uint8_t c)
{
    return std::isalnum(c) || c == '+' || c == '-' || c == '.';
}

} // namespace

// Three mutations in four replace one number of the file by another and keep everything else,
// so that most mutants still read and the run, the Newton iteration and the interpreter see
// them; the others are libFuzzer's own, for the reader.
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed)
{
    std::minstd_rand random(seed);
    if (random() % 4 == 0)
        return LLVMFuzzerMutate(data, size, maxSize);
    std::vector<std::pair<std::size_t, std::size_t>> tokens; // start, length
    for (std::size_t i = 0; i < size;) {
        if (!tokenChar(data[i])) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < size && tokenChar(data[j]))
            ++j;
        const std::string text(reinterpret_cast<const char*>(data + i), j - i);
        char* end = nullptr;
        std::strtod(text.c_str(), &end);
        if (end && *end == '\0')
            tokens.push_back({i, j - i});
        i = j;
    }
    if (tokens.empty())
        return LLVMFuzzerMutate(data, size, maxSize);
    const auto [start, length] = tokens[random() % tokens.size()];
    const std::string old(reinterpret_cast<const char*>(data + start), length);
    const bool integer = old.find_first_not_of("+-0123456789") == std::string::npos;
    char text[40];
    if (integer && length == 3 && old[0] != '-' && old[0] != '+') {
        // A byte of a code section, written with three digits.
        const int v = random() % 3 == 0 ? int(random() % 256) : codeBytes[random() % codeBytes.size()];
        std::snprintf(text, sizeof text, "%03d", v);
    } else if (integer) {
        // A number beyond the range reads as its end; a step that would leave the range goes
        // the other way.
        const long long v = std::strtoll(old.c_str(), nullptr, 10);
        const long long step = static_cast<long long>(random() % 5) - 2;
        const bool room = step > 0 ? v <= std::numeric_limits<long long>::max() - step
                                   : v >= std::numeric_limits<long long>::min() - step;
        switch (random() % 3) {
        case 0: std::snprintf(text, sizeof text, "%lld", room ? v + step : v - step); break;
        case 1: std::snprintf(text, sizeof text, "%lld", integers[random() % integers.size()]); break;
        default: std::snprintf(text, sizeof text, "%u", unsigned(random() % 20)); break;
        }
    } else {
        const double v = std::strtod(old.c_str(), nullptr);
        double w = reals[random() % reals.size()];
        switch (random() % 4) {
        case 0: w = v * 2; break;
        case 1: w = v / 2; break;
        case 2: w = -v; break;
        default: break;
        }
        std::snprintf(text, sizeof text, "%.14E", w);
    }
    const std::size_t added = std::strlen(text);
    if (size - length + added > maxSize)
        return LLVMFuzzerMutate(data, size, maxSize);
    std::memmove(data + start + added, data + start + length, size - start - length);
    std::memcpy(data + start, text, added);
    return size - length + added;
}
#endif
