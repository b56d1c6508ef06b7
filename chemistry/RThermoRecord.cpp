#include "chemistry/RThermoRecord.h"

#include "chemistry/RChemText.h"

#include <filesystem>
#include <fstream>

using namespace chemtext;

bool RThermoStreamSource::next(std::string& line)
{
    while (std::getline(in_, line)) {
        chopCR(line);
        // Comment lines may be indented; no record line begins with "!" after blanks.
        std::string t = trim(line);
        if (t.empty() || t[0] == '!') continue;
        return true;
    }
    return false;
}

int RThermoRecordHead::phaseCode() const
{
    if (phase == 'S' || phase == 's') return -1;
    if (phase == 'L' || phase == 'l') return 1;
    return 0;
}

static RThermoElementCount elementAt(std::string_view line, size_t symbolColumn, size_t countColumn)
{
    RThermoElementCount e;
    e.symbol = trim(columns(line, symbolColumn, 2));
    std::string countText = trim(columns(line, countColumn, 3));
    int n = 0;
    if (!countText.empty() && parseInt(countText, n)) e.count = n;
    return e;
}

RThermoRecordHead parseThermoRecordHead(std::string_view line)
{
    RThermoRecordHead h;
    h.name = trim(columns(line, 0, 18));
    h.elements[0] = elementAt(line, 24, 26);
    h.elements[1] = elementAt(line, 29, 31);
    h.elements[2] = elementAt(line, 34, 36);
    h.elements[3] = elementAt(line, 39, 41);
    h.elements[4] = elementAt(line, 73, 75);
    std::string_view ph = columns(line, 44, 1);
    h.phase = ph.empty() ? ' ' : ph[0];
    h.lowField = trim(columns(line, 45, 10));
    h.highField = trim(columns(line, 55, 10));
    h.commonField = trim(columns(line, 65, 8));
    return h;
}

std::string thermoRecordName(std::string_view line)
{
    return trim(columns(line, 0, 18));
}

bool isThermoEndName(std::string_view name)
{
    std::string u = upper(name);
    return u == "END" || u == "REAC" || u == "REACTIONS";
}

bool parseThermoDefaultTemperatures(std::string_view line, double& low, double& common, double& high)
{
    double l, c, h;
    if (!parseDouble(columns(line, 0, 10), l) || !parseDouble(columns(line, 10, 10), c)
        || !parseDouble(columns(line, 20, 10), h))
        return false;
    low = l;
    common = c;
    high = h;
    return true;
}

bool parseThermoCoefficients(std::string_view line2, std::string_view line3, std::string_view line4,
                             double high[7], double low[7])
{
    double v[15];
    std::string_view lines[3] = {line2, line3, line4};
    int n = 0;
    for (int l = 0; l < 3; ++l)
        for (int f = 0; f < (l == 2 ? 4 : 5); ++f)
            if (!parseDouble(columns(lines[l], static_cast<size_t>(15 * f), 15), v[n++])) return false;
    for (int i = 0; i < 7; ++i) {
        high[i] = v[i];
        low[i] = v[7 + i];
    }
    return true;
}

bool readThermoDataBase(std::istream& in, std::vector<RThermoDataBaseEntry>& entries,
                        double* defaultTemperatures)
{
    entries.clear();
    RThermoStreamSource src(in);
    std::string header, temps;
    if (!src.next(header) || !src.next(temps)) return true;
    if (defaultTemperatures)
        parseThermoDefaultTemperatures(temps, defaultTemperatures[0], defaultTemperatures[1],
                                       defaultTemperatures[2]);
    std::string line, rest;
    while (src.next(line)) {
        RThermoRecordHead head = parseThermoRecordHead(line);
        if (isThermoEndName(head.name)) break;
        bool complete = true;
        for (int i = 0; i < 3 && complete; ++i) complete = src.next(rest);
        if (!complete) break;
        entries.push_back(RThermoDataBaseEntry{std::move(head)});
    }
    return true;
}

bool readThermoDataBase(const std::string& path, std::vector<RThermoDataBaseEntry>& entries,
                        double* defaultTemperatures)
{
    entries.clear();
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) return false;
    return readThermoDataBase(in, entries, defaultTemperatures);
}
