// Calls per second of the property routines a run makes per grid point: mixture cp, mixture
// enthalpy, mixture viscosity, mixture conductivity and mixture-averaged diffusion, for data
// sets of 10 and 50 species (the public excerpt's records and parameters, repeated under new
// names with slightly shifted parameters, fitted as a compile would).
#include "chemistry/RSSChem.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> readLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    std::string l;
    while (std::getline(in, l)) lines.push_back(l);
    return lines;
}

std::string padName(const std::string& name)
{
    std::string n = name;
    n.resize(18, ' ');
    return n;
}

// A data set of n species built from the five public records, each copy renamed and its
// transport parameters shifted a little so that no two species are alike.
std::unique_ptr<RSSChem> makeSet(int n)
{
    const std::string data = std::string(MORV_TEST_DATA) + "/chemistry/data/";
    std::vector<std::string> therm = readLines(data + "public_therm.dat");
    std::vector<std::string> tran = readLines(data + "public_tran.dat");
    // Records start after the header, the temperature line and the comment line.
    std::vector<std::vector<std::string>> records;
    for (size_t i = 3; i + 3 < therm.size(); i += 4)
        records.push_back({therm[i], therm[i + 1], therm[i + 2], therm[i + 3]});
    std::vector<std::vector<std::string>> params;
    for (const std::string& l : tran) {
        if (l.empty() || l[0] == '!') continue;
        std::istringstream in(l);
        std::vector<std::string> items;
        std::string w;
        while (in >> w) items.push_back(w);
        params.push_back(items);
    }
    std::string tmp = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/morv_bench_chem_"
                      + std::to_string(n);
    std::ofstream t(tmp + "_therm.dat"), r(tmp + "_tran.dat");
    t << therm[0] << "\n" << therm[1] << "\n";
    std::string input = "ELEM N O H AR END\nSPEC\n";
    for (int k = 0; k < n; ++k) {
        const auto& rec = records[static_cast<size_t>(k) % records.size()];
        std::string base = rec[0].substr(0, rec[0].find(' '));
        std::string name = "S" + std::to_string(k) + base;
        t << padName(name) << rec[0].substr(18) << "\n" << rec[1] << "\n" << rec[2] << "\n" << rec[3] << "\n";
        input += name + "\n";
        for (const auto& p : params) {
            if (p[0] != base) continue;
            double shift = 1.0 + 0.01 * (k / 5);
            r << name << " " << p[1] << " " << std::stod(p[2]) * shift << " " << p[3] << " " << p[4] << " "
              << p[5] << " " << p[6] << "\n";
        }
    }
    t << "END\n";
    input += "END\n";
    t.close();
    r.close();
    std::vector<std::string> lines;
    std::istringstream in(input);
    std::string l;
    while (std::getline(in, l)) lines.push_back(l);
    auto chem = std::make_unique<RSSChem>(1, &lines, tmp + "_therm.dat", tmp + "_tran.dat", "", "");
    int a = chem->interpret();
    int b = a == 0 ? chem->tranfit() : -1;
    std::remove((tmp + "_therm.dat").c_str());
    std::remove((tmp + "_tran.dat").c_str());
    if (a != 0 || b != 0) return nullptr;
    return chem;
}

RSSChem* setOf(int n)
{
    static std::unique_ptr<RSSChem> sets[2];
    auto& s = sets[n == 10 ? 0 : 1];
    if (!s) s = makeSet(n);
    return s.get();
}

std::vector<double> fractions(int n)
{
    std::vector<double> x(static_cast<size_t>(n));
    double sum = 0.0;
    for (int k = 0; k < n; ++k) sum += (x[k] = 1.0 + k % 7);
    for (double& v : x) v /= sum;
    return x;
}

template <class F>
void run(benchmark::State& state, F call)
{
    const int n = static_cast<int>(state.range(0));
    RSSChem* chem = setOf(n);
    if (!chem) {
        state.SkipWithError("data set could not be built");
        return;
    }
    std::vector<double> x = fractions(n), out(static_cast<size_t>(n));
    double T = 900.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(call(*chem, T, x.data(), out.data()));
        T = T < 2000.0 ? T + 0.5 : 900.0; // a different temperature at every point
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_MixtureCp(benchmark::State& s)
{
    run(s, [](RSSChem& c, double T, const double* y, double*) { return c.CKCPBS(T, y); });
}
void BM_MixtureEnthalpy(benchmark::State& s)
{
    run(s, [](RSSChem& c, double T, const double* y, double*) { return c.CKHBMS(T, y); });
}
void BM_MixtureViscosity(benchmark::State& s)
{
    run(s, [](RSSChem& c, double T, const double* x, double*) { return c.MCAVIS(T, x); });
}
void BM_MixtureConductivity(benchmark::State& s)
{
    run(s, [](RSSChem& c, double T, const double* x, double*) { return c.MCACON(T, x); });
}
void BM_MixtureDiffusion(benchmark::State& s)
{
    run(s, [](RSSChem& c, double T, const double* x, double* d) {
        c.MCADIF(1013250.0, T, x, d);
        return d[0];
    });
}

} // namespace

BENCHMARK(BM_MixtureCp)->Arg(10)->Arg(50);
BENCHMARK(BM_MixtureEnthalpy)->Arg(10)->Arg(50);
BENCHMARK(BM_MixtureViscosity)->Arg(10)->Arg(50);
BENCHMARK(BM_MixtureConductivity)->Arg(10)->Arg(50);
BENCHMARK(BM_MixtureDiffusion)->Arg(10)->Arg(50);
BENCHMARK_MAIN();
