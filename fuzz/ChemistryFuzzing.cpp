#include "fuzz/ChemistryFuzzing.h"

std::vector<std::string> fuzzLines(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c != '\n') {
            line.push_back(c);
            continue;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        line.clear();
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

void exerciseProperties(RSSChem& chem)
{
    const int kk = chem.speciesCount();
    if (kk < 1)
        return;
    const std::size_t k = static_cast<std::size_t>(kk);
    std::vector<double> x(k, 1.0 / kk), out(k), djk(k * k);
    for (double T : {300.0, 1000.0, 2500.0}) {
        chem.CKCPML(T, out.data());
        chem.CKHML(T, out.data());
        (void)chem.CKCPBL(T, x.data());
        (void)chem.CKHBMS(T, x.data());
        (void)chem.CKRHOX(1013250.0, T, x.data());
        chem.CKXTY(x.data(), out.data());
        if (chem.hasTransportFits()) {
            chem.MCSVIS(T, out.data());
            (void)chem.MCAVIS(T, x.data());
            (void)chem.MCACON(T, x.data());
            chem.MCADIF(1013250.0, T, x.data(), out.data());
            chem.MCSDIF(1013250.0, T, djk.data());
        }
    }
    std::vector<double> weights(static_cast<std::size_t>(chem.elementCount()) + 1);
    chem.CKAWT(weights.data());
    chem.CKWT(out.data());
}
