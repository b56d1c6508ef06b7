#include "chemistry/RChemText.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace chemtext {

static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string trim(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string upper(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::string_view columns(std::string_view line, size_t first, size_t width)
{
    if (first >= line.size()) return {};
    return line.substr(first, width);
}

void chopCR(std::string& line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
}

bool parseDouble(std::string_view text, double& value)
{
    std::string t = trim(text);
    if (t.empty()) return false;
    // Fortran-style exponents ("1.5D+03") are read like "E"; from_chars takes no leading "+".
    for (char& c : t)
        if (c == 'D' || c == 'd') c = 'E';
    size_t start = (t[0] == '+') ? 1 : 0;
    if (start == 1 && (t.size() == 1 || t[1] == '-' || t[1] == '+')) return false;
    double v = 0.0;
    auto res = std::from_chars(t.data() + start, t.data() + t.size(), v, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != t.data() + t.size()) return false;
    // from_chars also reads "inf" and "nan": no data base or data file value may be one.
    if (!std::isfinite(v)) return false;
    value = v;
    return true;
}

bool parseInt(std::string_view text, int& value)
{
    std::string t = trim(text);
    if (t.empty()) return false;
    size_t start = (t[0] == '+') ? 1 : 0;
    if (start == 1 && (t.size() == 1 || t[1] == '-')) return false;
    int v = 0;
    auto res = std::from_chars(t.data() + start, t.data() + t.size(), v);
    if (res.ec != std::errc() || res.ptr != t.data() + t.size()) return false;
    value = v;
    return true;
}

static std::string pad(std::string s, int width)
{
    size_t w = static_cast<size_t>(width < 0 ? -width : width);
    if (s.size() >= w) return s;
    if (width < 0) return s + std::string(w - s.size(), ' ');
    return std::string(w - s.size(), ' ') + s;
}

static std::string toChars(double v, std::chars_format f, int precision)
{
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    char buf[512];
    auto res = std::to_chars(buf, buf + sizeof buf, v, f, precision);
    return std::string(buf, res.ptr);
}

std::string fmtE(double v, int width, int precision)
{
    std::string s = toChars(v, std::chars_format::scientific, precision);
    for (char& c : s)
        if (c == 'e') c = 'E';
    return pad(s, width);
}

std::string fmtF(double v, int width, int precision)
{
    return pad(toChars(v, std::chars_format::fixed, precision), width);
}

std::string fmtG(double v, int width, int precision)
{
    return pad(toChars(v, std::chars_format::general, precision), width);
}

std::string fmtD(long long v, int width)
{
    return pad(std::to_string(v), width);
}

std::string fmtS(std::string_view s, int width)
{
    return pad(std::string(s), width);
}

std::string shortest(double v)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

std::vector<std::string> split(std::string_view s, std::string_view extra)
{
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (isBlank(c) || extra.find(c) != std::string_view::npos) {
            if (!cur.empty()) out.push_back(std::move(cur));
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    if (!cur.empty()) out.push_back(std::move(cur));
    return out;
}

std::unordered_map<std::string, int> firstPositions(const std::string* names, size_t count)
{
    std::unordered_map<std::string, int> positions;
    positions.reserve(count);
    for (size_t i = 0; i < count; ++i)
        positions.emplace(names[i], static_cast<int>(i)); // keeps the first of equal names
    return positions;
}

} // namespace chemtext
