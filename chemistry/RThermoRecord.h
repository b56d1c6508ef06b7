#pragma once
#include <array>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

// The one reader of thermo data base records (the fixed-column seven-coefficient layout). The
// chemistry data set, the compile's chemistry preparation and the species window all read
// records through it, so they agree on which species a data base holds and on their elements.
// Plain C++ (no Qt), like the rest of the chemistry package's numeric side.

// Where thermo lines come from, one line at a time.
class RThermoLineSource {
public:
    virtual ~RThermoLineSource() = default;
    // The next line, without its line end; false at the end of the source.
    virtual bool next(std::string& line) = 0;
};

// Lines of a thermo file. Blank lines and lines that begin with "!" (after any blanks) are
// passed over (public data files carry comment lines after their header); a CR before the line
// end is dropped.
class RThermoStreamSource : public RThermoLineSource {
public:
    explicit RThermoStreamSource(std::istream& in) : in_(in) {}
    bool next(std::string& line) override;
private:
    std::istream& in_;
};

struct RThermoElementCount {
    std::string symbol; // trimmed; empty when the field is blank
    int count = 0;      // 0 when the field is blank or not an integer
};

// The fields of the first line of a record.
struct RThermoRecordHead {
    std::string name;                          // columns 1-18, trimmed
    std::array<RThermoElementCount, 5> elements; // columns 25-44 in four groups, then 74-78
    char phase = ' ';                          // column 45
    std::string lowField, highField, commonField; // columns 46-55, 56-65, 66-73, trimmed
    // Phase code: -1 solid ("S"), 1 liquid ("L"), 0 gas (anything else); either case.
    int phaseCode() const;
};

RThermoRecordHead parseThermoRecordHead(std::string_view line);

// The species name of a record's first line (columns 1-18, trimmed).
std::string thermoRecordName(std::string_view line);

// True for a first-line name that ends the records: "END", "REAC" or "REACTIONS" in any case.
bool isThermoEndName(std::string_view name);

// The default temperatures of a temperature line: low in columns 1-10, common in 11-20, high in
// 21-30. False when one of them is not a number.
bool parseThermoDefaultTemperatures(std::string_view line, double& low, double& common, double& high);

// The fourteen coefficients of a record's lines 2 to 4: high[0..6] from line 2 and the first two
// fields of line 3, low[0..6] from the rest. False when one of them is not a number.
bool parseThermoCoefficients(std::string_view line2, std::string_view line3, std::string_view line4,
                             double high[7], double low[7]);

// One species of a thermo data base as a list shows it.
struct RThermoDataBaseEntry {
    RThermoRecordHead head;
};

// Reads a whole thermo data base: the header line, the default temperature line, then records
// of four lines up to a line whose name is "END" (or "REAC"/"REACTIONS") or the end of the file.
// Blank lines and lines that begin with "!" are passed over. A record cut short by the end of the
// file is not listed. Returns false when the file cannot be opened. When defaultTemperatures is
// given (three doubles: low, common, high) it receives the header's defaults if they are numbers.
bool readThermoDataBase(const std::string& path, std::vector<RThermoDataBaseEntry>& entries,
                        double* defaultTemperatures = nullptr);
bool readThermoDataBase(std::istream& in, std::vector<RThermoDataBaseEntry>& entries,
                        double* defaultTemperatures = nullptr);
