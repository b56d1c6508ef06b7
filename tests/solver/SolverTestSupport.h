#pragma once
// Helpers shared by the engine tests: fixture paths, whole-file reads and writes, CR LF lines.
#include "StructuredMesh.h"

#include <QDir>
#include <QTemporaryDir>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline std::string fixturePath(const char* name)
{
    return std::string(MORV_TEST_DATA) + "/solver/data/" + name;
}

inline std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeAll(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// Splits CR LF text into lines (without line ends).
inline std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

inline std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& l : lines)
        text += l + "\r\n";
    return text;
}
