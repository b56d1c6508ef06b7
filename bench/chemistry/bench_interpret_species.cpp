// Interpretation time of a chemistry input with n species, each with its thermo record in the
// input: the duplicate check of the species items and the record lookup should grow linearly.
#include "chemistry/RSSChem.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// "ELEM H END", n species, and "THERMO ALL" with one record of hydrogen atoms per species.
std::vector<std::string> inputWithSpecies(int n)
{
    std::vector<std::string> lines = {"ELEM H END", "SPEC"};
    for (int k = 0; k < n; ++k) lines.push_back("S" + std::to_string(k));
    lines.push_back("END");
    lines.push_back("THERMO ALL");
    lines.push_back("   300.000  1000.000  5000.000");
    const std::string coefficients = " 3.00000000E+00 1.00000000E-03 0.00000000E+00 0.00000000E+00 0.00000000E+00";
    for (int k = 0; k < n; ++k) {
        std::string head = "S" + std::to_string(k);
        head.resize(24, ' ');
        head += "H   1               G";
        lines.push_back(head);
        lines.push_back(coefficients);
        lines.push_back(coefficients);
        lines.push_back(" 0.00000000E+00 0.00000000E+00 0.00000000E+00 0.00000000E+00");
    }
    lines.push_back("END");
    return lines;
}

void InterpretSpecies(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::vector<std::string> input = inputWithSpecies(n);
    for (auto _ : state) {
        RSSChem chem(1, &input, "", "", "", "");
        if (chem.interpret() != 0) state.SkipWithError("interpretation failed");
        benchmark::DoNotOptimize(chem.speciesCount());
    }
    state.SetComplexityN(n);
}
BENCHMARK(InterpretSpecies)->Arg(1000)->Arg(4000)->Arg(16000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
