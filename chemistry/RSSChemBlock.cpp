// The chemistry block of the solver data file: what a run needs of the data set (weights,
// temperatures, coefficient sets and, with transport, the four fits), as text lines.
#include "chemistry/RSSChem.h"

#include "chemistry/RChemText.h"

#include <cmath>

using namespace chemtext;

namespace {
// One "%22.14E" field. A value whose text fills all 22 columns would run into the value before
// it; such a field gets one extra blank in front so that the reader can still split the line.
void appendE(std::string& line, double v)
{
    std::string f = fmtE(v, 22, 14);
    if (f[0] != ' ') line.push_back(' ');
    line += f;
}

std::string eLine(const double* v, size_t n)
{
    std::string line;
    for (size_t i = 0; i < n; ++i) appendE(line, v[i]);
    return line;
}

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }

// Reads one line and takes its first n fields as numbers. The fields are taken one by one from
// the line, so a count that asks for more than the line holds fails before anything is sized
// by it, and a long line costs no more than its own text.
bool readNumbers(RChemLineReader& in, size_t n, std::vector<double>& out)
{
    std::string line;
    if (!in.next(line)) return false;
    out.clear();
    const std::string_view text(line);
    size_t at = 0;
    while (out.size() < n) {
        while (at < text.size() && isSeparator(text[at])) ++at;
        if (at == text.size()) return false;
        size_t end = at;
        while (end < text.size() && !isSeparator(text[end])) ++end;
        double v = 0.0;
        if (!parseDouble(text.substr(at, end - at), v) || !std::isfinite(v)) return false;
        out.push_back(v);
        at = end;
    }
    return true;
}

// n rows of `width` numbers each, one line per row, appended row by row.
bool readRows(RChemLineReader& in, size_t rows, size_t width, std::vector<double>& out)
{
    std::vector<double> row;
    out.clear();
    for (size_t r = 0; r < rows; ++r) {
        if (!readNumbers(in, width, row)) return false;
        out.insert(out.end(), row.begin(), row.end());
    }
    return true;
}
} // namespace

void RSSChem::CKGlobalSave(std::vector<std::string>& lines, int withTransport) const
{
    size_t k = static_cast<size_t>(kk_);
    lines.push_back(std::to_string(mm_) + "," + std::to_string(kk_));
    lines.push_back(shortest(R_) + "," + shortest(P0_));
    lines.push_back(std::to_string(nT_) + "," + std::to_string(nCp_) + "," + std::to_string(nCp1_)
                    + "," + std::to_string(nFit_) + "," + std::to_string(nCoef_));
    lines.push_back(fmtE(small_, 22, 14) + "," + fmtE(big_, 22, 14) + "," + fmtE(bigExp_, 22, 14));
    lines.push_back(eLine(awt_.data(), static_cast<size_t>(mm_)));
    lines.push_back(eLine(wt_.data(), k));
    lines.push_back(eLine(tLow_.data(), k));
    lines.push_back(eLine(tMid_.data(), k));
    lines.push_back(eLine(tHigh_.data(), k));
    for (size_t s = 0; s < k; ++s) lines.push_back(eLine(&coef_[s * 14], 14));
    // Without fits (a data set that was not fitted) there is nothing to write; the reader of
    // such a block with the transport flag then refuses it instead of running on garbage.
    if (withTransport != 0 && kk_ >= 1 && hasTransportFits()) {
        for (size_t s = 0; s < k; ++s) lines.push_back(eLine(&cond_[s * 4], 4));
        for (size_t s = 0; s < k; ++s) lines.push_back(eLine(&visc_[s * 4], 4));
        for (size_t s = 0; s < k; ++s) lines.push_back(eLine(&diff_[s * k * 4], 4 * k));
        for (size_t s = 0; s < k; ++s) lines.push_back(eLine(&therm_[s * k * 4], 4 * k));
    }
}

void RSSChem::CKGlobalSave(std::ostream& out, int withTransport, const char* eol) const
{
    std::vector<std::string> lines;
    CKGlobalSave(lines, withTransport);
    for (const std::string& l : lines) out << l << eol;
}

int RSSChem::CKGlobalLoad(std::istream& in, int withTransport)
{
    RChemStreamLineReader reader(in);
    return CKGlobalLoad(reader, withTransport);
}

int RSSChem::CKGlobalLoad(RChemLineReader& in, int withTransport)
{
    // Only a fresh data set is filled; loading over interpreted data would mix the two.
    if (ckStatus_ != 0) return 1;
    ckStatus_ = 3;
    std::vector<double> v;

    std::string line;
    if (!in.next(line)) return 1;
    std::vector<std::string> f = split(line, ",");
    int m = 0, k = 0;
    if (f.size() < 2 || !parseInt(f[0], m) || !parseInt(f[1], k) || m < 0 || k < 1) return 1;

    if (!readNumbers(in, 2, v)) return 1;
    double r = v[0], p0 = v[1];
    if (!readNumbers(in, 5, v)) return 1;
    int dims[5];
    for (int i = 0; i < 5; ++i) {
        // Truncated to an integer only once it is known to fit one.
        if (!(std::fabs(v[i]) < 1e9)) return 1;
        dims[i] = static_cast<int>(v[i]);
    }
    if (dims[0] != 3 || dims[1] != 5 || dims[2] != 6 || dims[3] != 7 || dims[4] != 14) return 1;
    if (!readNumbers(in, 3, v)) return 1;
    mm_ = m;
    kk_ = k;
    R_ = r;
    P0_ = p0;
    nT_ = dims[0];
    nCp_ = dims[1];
    nCp1_ = dims[2];
    nFit_ = dims[3];
    nCoef_ = dims[4];
    small_ = v[0];
    big_ = v[1];
    bigExp_ = v[2];

    size_t ks = static_cast<size_t>(k);
    if (!readNumbers(in, static_cast<size_t>(m), awt_)) return 1;
    if (!readNumbers(in, ks, wt_)) return 1;
    if (!readNumbers(in, ks, tLow_)) return 1;
    if (!readNumbers(in, ks, tMid_)) return 1;
    if (!readNumbers(in, ks, tHigh_)) return 1;
    // Every array below grows line by line, so the species count sizes nothing that the block
    // does not hold.
    if (!readRows(in, ks, 14, coef_)) return 1;
    if (withTransport != 0) {
        std::vector<double> cond, visc, diff, therm;
        if (!readRows(in, ks, 4, cond) || !readRows(in, ks, 4, visc)
            || !readRows(in, ks, 4 * ks, diff) || !readRows(in, ks, 4 * ks, therm))
            return 1;
        cond_ = std::move(cond);
        visc_ = std::move(visc);
        diff_ = std::move(diff);
        therm_ = std::move(therm);
    }
    makeWorkArrays();
    return 0;
}
