#include "chemistry/RSSChem.h"

#include "chemistry/RAtomicWeights.h"
#include "chemistry/RChemText.h"

#include <cmath>

bool RChemStreamLineReader::next(std::string& line)
{
    if (!std::getline(in_, line)) return false;
    chemtext::chopCR(line);
    return true;
}

RSSChem::RSSChem(int mode, const std::vector<std::string>* input, const std::string& thermoDataBase,
                 const std::string& transportDataBase, const std::string& extraThermoFile,
                 const std::string& extraTransportFile)
    : thermoDb_(thermoDataBase), tranDb_(transportDataBase), extraThermo_(extraThermoFile),
      extraTran_(extraTransportFile)
{
    if (input) {
        input_ = *input;
        hasInput_ = true;
    }
    awTable_ = (mode == 1) ? atomicweights::kNewer : atomicweights::kOlder;
    // The thermodynamic routines work from status 1 on, before the fitting step sets the
    // constants again (to the same values).
    setConstants();
}

RSSChem::~RSSChem() = default; // every array is a vector: what exists is released

void RSSChem::setConstants()
{
    nT_ = 3;
    nCp_ = 5;
    nCp1_ = 6;
    nFit_ = 7;
    nCoef_ = 14;
    small_ = 1e-300;
    big_ = 1e300;
    bigExp_ = std::log(big_);
    R_ = 8.314e7;
    P0_ = 1013250.0;
    boltz_ = R_ / 6.02217e23;
    pi_ = 3.1415926535;
    debye_ = 1e-18;
    angstrom_ = 1e8;
    dipMin_ = 1e-20;
    fitError_ = 0.0;
}

int RSSChem::CKINIT()
{
    setConstants();
    return 0;
}

void RSSChem::releaseElements()
{
    mm_ = 0;
    elemNames_.clear();
    awt_.clear();
}

void RSSChem::releaseSpecies()
{
    kk_ = 0;
    specNames_.clear();
    wt_.clear();
    thermoFound_.clear();
    charge_.clear();
    phase_.clear();
    tLow_.clear();
    tMid_.clear();
    tHigh_.clear();
    coef_.clear();
    ncf_.clear();
    propIn_.clear();
    propOut_.clear();
    work1_.clear();
    work2_.clear();
    workMatrix_.clear();
    mixW4_.clear();
    mixWF_.clear();
}

void RSSChem::releaseTransport()
{
    tp_.clear();
    cond_.clear();
    visc_.clear();
    diff_.clear();
    therm_.clear();
    light_.clear();
    nLight_ = 0;
}

void RSSChem::makeWorkArrays()
{
    size_t k = static_cast<size_t>(kk_);
    propIn_.assign(k, 0.0);
    propOut_.assign(k, 0.0);
    work1_.assign(k, 0.0);
    work2_.assign(k, 0.0);
    // The species-by-species arrays serve only the transport routines: a data set without
    // fits does not claim memory that grows with the square of its species count.
    if (!hasTransportFits()) {
        workMatrix_.clear();
        mixW4_.clear();
        mixWF_.clear();
        return;
    }
    workMatrix_.assign(k * k, 0.0);
    mixW4_.assign(k * k, 0.0);
    mixWF_.assign(k * k, 0.0);
    for (size_t j = 0; j < k; ++j)
        for (size_t i = 0; i < k; ++i) {
            mixW4_[j * k + i] = std::pow(wt_[i] / wt_[j], 0.25);
            mixWF_[j * k + i] = 0.353553390593274 / std::sqrt(wt_[j] / wt_[i] + 1.0);
        }
}

double RSSChem::CKAWTM(const std::string& symbol) const
{
    std::string u = chemtext::upper(symbol);
    for (int i = 0; i < atomicweights::kRows; ++i)
        if (u == atomicweights::kSymbols[i]) return awTable_[i];
    return -1.0;
}
