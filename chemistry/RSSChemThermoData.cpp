// Reading the species' thermodynamic records from the input, the extra thermo file and the
// thermo data base, and checking their temperature ranges.
#include "chemistry/RSSChem.h"

#include "chemistry/RChemText.h"
#include "chemistry/RThermoRecord.h"

#include <filesystem>
#include <fstream>

using namespace chemtext;

namespace {
const char* const kNoDefaults = "! Error...no TLO,TMID,THI given for THERMO ALL...";

std::ifstream openText(const std::string& path)
{
    return std::ifstream(std::filesystem::u8path(path), std::ios::binary);
}

bool fileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(std::filesystem::u8path(path), ec);
}
} // namespace

int RSSChem::ReadThermodat(RThermoLineSource* source, std::string& line)
{
    if (source) return source->next(line) ? 0 : 2;
    return LineInput(line);
}

int RSSChem::FindThermoHeader()
{
    useThermoDb_ = true;
    line_ = 0;
    col_ = 0;
    std::string line;
    while (LineInput(line) == 0) {
        std::vector<std::string> words = split(line, ",");
        if (words.empty()) continue;
        std::string first = upper(words[0]);
        if (first == "THER" || first == "THERMO") {
            if (words.size() > 1 && upper(words[1]) == "ALL") useThermoDb_ = false;
            return 0;
        }
    }
    return 1;
}

int RSSChem::CKTHRM(RThermoLineSource* source)
{
    int errors = 0;
    const auto species = firstPositions(specNames_.data(), static_cast<size_t>(kk_));
    const auto elements = firstPositions(elemNames_.data(), static_cast<size_t>(mm_));
    std::string line;
    for (;;) {
        if (ReadThermodat(source, line) != 0) break;
        std::string name = thermoRecordName(line);
        const int k = positionOf(species, name);
        if (k < 0) {
            if (isThermoEndName(name)) break;
            continue;
        }
        if (thermoFound_[k]) continue;
        thermoFound_[k] = 1;
        charge_[k] = 0;
        wt_[k] = 0.0;
        std::string l2, l3, l4;
        if (ReadThermodat(source, l2) != 0 || ReadThermodat(source, l3) != 0
            || ReadThermodat(source, l4) != 0) {
            // A record cut short by the end of its source has no coefficients: rejected rather
            // than kept with zeros.
            errLines_.push_back("! Error...coefficients for " + specNames_[k] + " is invalid.");
            ++errors;
            break;
        }
        RThermoRecordHead head = parseThermoRecordHead(line);
        for (const RThermoElementCount& e : head.elements) {
            if (e.symbol.empty() || e.count == 0) continue;
            if (upper(e.symbol) == "E") charge_[k] -= e.count;
            const int m = positionOf(elements, e.symbol);
            if (m < 0) {
                errLines_.push_back("! Error...element..." + e.symbol + " not declared for..."
                                    + specNames_[k]);
                ++errors;
                continue;
            }
            ncf_[static_cast<size_t>(k * mm_ + m)] = e.count;
            wt_[k] += e.count * awt_[m];
        }
        phase_[k] = head.phaseCode();
        double v = 0.0;
        tLow_[k] = (!head.lowField.empty() && parseDouble(head.lowField, v)) ? v : tLowDefault_;
        tMid_[k] = (!head.commonField.empty() && parseDouble(head.commonField, v)) ? v : tMidDefault_;
        tHigh_[k] = (!head.highField.empty() && parseDouble(head.highField, v)) ? v : tHighDefault_;
        double* low = &coef_[static_cast<size_t>(k) * 14];
        double* high = low + 7;
        if (!parseThermoCoefficients(l2, l3, l4, high, low)) {
            errLines_.push_back("! Error...coefficients for " + specNames_[k] + " is invalid.");
            ++errors;
        }
    }
    return errors;
}

int RSSChem::CKPRNT()
{
    int result = 0;
    for (int k = 0; k < kk_; ++k) {
        if (tLow_[k] < 0.0) tLow_[k] = tLowDefault_;
        if (tMid_[k] < 0.0) tMid_[k] = tMidDefault_;
        if (tHigh_[k] < 0.0) tHigh_[k] = tHighDefault_;
        if (!(tHigh_[k] > tLow_[k])) {
            errLines_.push_back("! Error...High temperature must be > Low temperature for "
                                + specNames_[k]);
            result = 1;
        }
        if (tLow_[k] > tMid_[k]) {
            errLines_.push_back("! Error...Low temperature must be <= Mid temperature");
            result = 1;
        }
        if (tMid_[k] > tHigh_[k]) {
            errLines_.push_back("! Error...High temperature must be => Mid temperature");
            result = 1;
        }
        if (!thermoFound_[k]) {
            errLines_.push_back("! Error...no thermodynamic properties for species " + specNames_[k]);
            result = 1;
        }
    }
    return result;
}

bool RSSChem::readThermoSources()
{
    auto takeDefaults = [this](const std::string& line) {
        double l, c, h;
        if (!parseThermoDefaultTemperatures(line, l, c, h)) return false;
        tLowDefault_ = l;
        tMidDefault_ = c;
        tHighDefault_ = h;
        return true;
    };
    // The data base's header line and default temperature line.
    auto readDataBaseHeader = [&](RThermoLineSource& src) {
        std::string header, temps;
        if (!src.next(header) || !src.next(temps) || !takeDefaults(temps)) {
            errLines_.push_back(kNoDefaults);
            return false;
        }
        return true;
    };

    // 1. Records in the input.
    if (FindThermoHeader() == 0) {
        if (useThermoDb_) {
            std::ifstream db = openText(thermoDb_);
            if (thermoDb_.empty() || !db) {
                errLines_.push_back(kNoDefaults);
                return false;
            }
            RThermoStreamSource src(db);
            if (!readDataBaseHeader(src)) return false;
        } else {
            std::string temps;
            if (LineInput(temps) != 0 || !takeDefaults(temps)) {
                errLines_.push_back(kNoDefaults);
                return false;
            }
        }
        if (CKTHRM(nullptr) != 0) return false;
    }
    // 2. The extra thermo file, records from its first line.
    if (fileExists(extraThermo_)) {
        std::ifstream f = openText(extraThermo_);
        RThermoStreamSource src(f);
        if (CKTHRM(&src) != 0) return false;
    }
    // 3. The thermo data base.
    if (useThermoDb_ && fileExists(thermoDb_)) {
        std::ifstream db = openText(thermoDb_);
        RThermoStreamSource src(db);
        if (!readDataBaseHeader(src)) return false;
        if (CKTHRM(&src) != 0) return false;
    }
    return true;
}
