// The restart file: written at the end of every run, read as start values of a restarted run and
// value by value by the RESTART function.
#include "solver/RRazava.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

void RRazava::rstout(const double* values, int n, int np, const double* temporaries,
                     int temporaryCount, double time)
{
    MORVGlobalData& g = *gd;
    RFile& f = g.restartOutFile;
    StartFile(f, RFileEncoding::ansi, Eio::write, false);
    std::string text = "MORV_RESTART_FILE," + formatE(time, 22, 14) + "," + std::to_string(n) + ","
                       + std::to_string(np) + "," + std::to_string(temporaryCount) + "\r\n";
    for (int i = 0; i < n; ++i)
        text += " " + std::to_string(i < static_cast<int>(g.variableAttributes.size())
                                         ? g.variableAttributes[i]
                                         : 0);
    for (int k = 0; k < temporaryCount; ++k) {
        if (k % 6 == 0)
            text += "\r\n";
        text += formatField22(LimitedValue(temporaries[k]));
    }
    const long long total = static_cast<long long>(n) * np;
    for (long long k = 0; k < total; ++k) {
        if (k % 6 == 0) {
            text += "\r\n";
            if (text.size() > 65536) {
                WriteText(f, text);
                text.clear();
            }
        }
        appendField22(text, LimitedValue(values[k]));
    }
    text += "\r\n";
    WriteText(f, text);
    EndFile(f);
}

int RRazava::ReadRestartFileHeader(int& n, int& np, int& temporaryCount, double& time,
                                   std::vector<int>& classFlags)
{
    MORVGlobalData& g = *gd;
    RFile& f = g.restartInFile;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(f.name, ec))
        return 1;
    int result = 0;
    try {
        StartFile(f, RFileEncoding::ansi, Eio::read, false);
        std::string line;
        std::vector<std::string> items;
        if (ReadRawLine(f, line))
            items = splitCommaText(line);
        std::string first = items.empty() ? std::string() : items[0];
        std::transform(first.begin(), first.end(), first.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (first.find("MORV_RESTART_FILE") == std::string::npos) {
            result = 2;
        } else if (items.size() < 5 || !parseReal(items[1], time) || !parseInteger(items[2], n)
                   || !parseInteger(items[3], np) || !parseInteger(items[4], temporaryCount)) {
            result = 99;
        } else {
            line.clear();
            ReadRawLine(f, line);
            items = splitCommaText(line);
            if (static_cast<long long>(items.size()) != n) {
                result = 3;
            } else {
                classFlags.clear();
                for (const std::string& item : items) {
                    int v = 0;
                    if (!parseInteger(item, v)) {
                        result = 99;
                        break;
                    }
                    classFlags.push_back(v);
                }
            }
        }
    } catch (const std::exception&) {
        result = 99;
    }
    EndFile(f);
    return result;
}

int RRazava::rstin(double* values, int n, int np, double* temporaries, int temporaryCount,
                   double& time)
{
    MORVGlobalData& g = *gd;
    int fn = 0, fnp = 0, ft = 0;
    double fileTime = 0;
    std::vector<int> flags;
    // A header that could not be read gives no time.
    if (ReadRestartFileHeader(fn, fnp, ft, fileTime, flags) != 0)
        return 2;
    time = fileTime;
    if (fn != n || fnp != np || ft != temporaryCount)
        return 3;
    for (int i = 0; i < n; ++i)
        if (i >= static_cast<int>(g.variableAttributes.size()) || flags[i] != g.variableAttributes[i])
            return 4;
    RFile& f = g.restartInFile;
    int result = 0;
    try {
        StartFile(f, RFileEncoding::ansi, Eio::read, false);
        std::string skip;
        ReadRawLine(f, skip);
        ReadRawLine(f, skip);
        for (int k = 0; k < temporaryCount && result == 0; ++k)
            if (ReadOneFloat(f, temporaries[k]) != 0)
                result = 1;
        DoLineFeed(f);
        const long long total = static_cast<long long>(n) * np;
        for (long long k = 0; k < total && result == 0; ++k)
            if (ReadOneFloat(f, values[k]) != 0)
                result = 1;
    } catch (const std::exception&) {
        result = 1;
    }
    EndFile(f);
    return result;
}

double RRazava::GetFromRestartFile(int k, int p, int n, int np, int temporaryCount,
                                   double alternate)
{
    if (restartCacheState == 0) {
        restartCacheState = 1;
        std::error_code ec;
        if (std::filesystem::is_regular_file(gd->restartInFile.name, ec)) {
            try {
                restartCache.assign(static_cast<std::size_t>(np) * n, 0.0);
                std::vector<double> scratchTemporaries(std::max(temporaryCount, 0));
                double scratchTime = 0;
                if (rstin(restartCache.data(), n, np, scratchTemporaries.data(), temporaryCount,
                          scratchTime)
                    == 0) {
                    restartCacheState = 2;
                } else {
                    restartCache.clear();
                    restartCacheState = -1;
                }
            } catch (const std::bad_alloc&) {
                restartCache.clear();
                restartCacheState = -1;
            }
        }
    }
    if (restartCacheState == 2)
        return restartCache[static_cast<std::size_t>(k - 1) + static_cast<std::size_t>(p) * n];
    return alternate;
}
