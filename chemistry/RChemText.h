#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Locale-independent text helpers of the chemistry package. The data files and the solver data
// file always use "." as decimal point, whatever the user's locale; std::to_chars and
// std::from_chars never look at the locale, so every number goes through them.
namespace chemtext {

std::string trim(std::string_view s);
std::string upper(std::string_view s);
// Columns [first, first + width) of a line, 0-based; the part a short line does not reach reads
// as blanks (so it comes back shorter or empty, never out of range).
std::string_view columns(std::string_view line, size_t first, size_t width);
// Drops a trailing carriage return (files with CR LF line ends).
void chopCR(std::string& line);

// Whole trimmed text as a number: an optional sign, digits, one ".", an exponent written with
// E, e, D or d. False for an empty text or anything left over.
bool parseDouble(std::string_view text, double& value);
// Whole trimmed text as an integer (optional sign, digits).
bool parseInt(std::string_view text, int& value);

// printf-style fields: "%W.PE", "%W.Pf", "%W.Pg" and "%Wd", right-aligned in W columns
// (a negative width left-aligns, like "%-Ws").
std::string fmtE(double v, int width, int precision);
std::string fmtF(double v, int width, int precision);
std::string fmtG(double v, int width, int precision);
std::string fmtD(long long v, int width);
std::string fmtS(std::string_view s, int width);
// The shortest text that reads back as the same double ("83140000", "1013250", "0.5").
std::string shortest(double v);

// Splits at blanks, tabs and the given extra separators; runs of separators count as one.
std::vector<std::string> split(std::string_view s, std::string_view extraSeparators);

// Each of names[0 .. count) with the 0-based position of its first occurrence, so that a lookup
// finds what a scan from the front would find, in constant time.
std::unordered_map<std::string, int> firstPositions(const std::string* names, size_t count);
inline std::unordered_map<std::string, int> firstPositions(const std::vector<std::string>& names)
{
    return firstPositions(names.data(), names.size());
}
// The position of name in such a map, -1 when absent.
inline int positionOf(const std::unordered_map<std::string, int>& positions, const std::string& name)
{
    const auto it = positions.find(name);
    return it == positions.end() ? -1 : it->second;
}

} // namespace chemtext
