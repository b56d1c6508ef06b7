#pragma once
#include "chemistry/RSSChem.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace chemtest {

inline std::string dataPath(const std::string& name)
{
    return std::string(MORV_TEST_DATA) + "/chemistry/data/" + name;
}

inline std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string l;
    while (std::getline(in, l)) lines.push_back(l);
    return lines;
}

inline bool contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

inline std::string joined(const std::vector<std::string>& lines)
{
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
}

// A data set over an input text and the given data bases.
inline std::unique_ptr<RSSChem> makeChem(const std::string& input, const std::string& thermoDb = "",
                                         const std::string& tranDb = "", int mode = 1)
{
    std::vector<std::string> lines = linesOf(input);
    return std::make_unique<RSSChem>(mode, &lines, thermoDb, tranDb, "", "");
}

// Writes text into a temporary file that lives as long as the object.
class TempFile {
public:
    explicit TempFile(const std::string& text, const std::string& tag = "f")
    {
        static int n = 0;
        path_ = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/morv_chem_"
                + std::to_string(::getpid()) + "_" + tag + std::to_string(n++) + ".dat";
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~TempFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }
private:
    std::string path_;
};

// One thermo record with exactly placed columns: name 1-18, element groups from column 25,
// phase 45, temperatures 46-55, 56-65, 66-73; coefficients as 15-column fields.
inline std::string record(const std::string& name, const std::string& elements, char phase,
                          const std::string& tlo, const std::string& thi, const std::string& tmid,
                          const double high[7], const double low[7])
{
    auto field = [](std::string s, size_t w) {
        s.resize(w, ' ');
        return s;
    };
    auto right = [](const std::string& s, size_t w) {
        return s.size() >= w ? s : std::string(w - s.size(), ' ') + s;
    };
    std::string l1 = field(name, 24) + field(elements, 20) + std::string(1, phase) + right(tlo, 10)
                     + right(thi, 10) + right(tmid, 8);
    auto e = [](double v) {
        char b[32];
        std::snprintf(b, sizeof b, "%15.8E", v);
        return std::string(b);
    };
    double c[14];
    for (int i = 0; i < 7; ++i) {
        c[i] = high[i];
        c[7 + i] = low[i];
    }
    std::string l2, l3, l4;
    for (int i = 0; i < 5; ++i) l2 += e(c[i]);
    for (int i = 5; i < 10; ++i) l3 += e(c[i]);
    for (int i = 10; i < 14; ++i) l4 += e(c[i]);
    return l1 + "\n" + l2 + "\n" + l3 + "\n" + l4 + "\n";
}

} // namespace chemtest
