#pragma once
// Helpers shared by the engine tests: scratch folders, fixture copies and a structured
// triangulation with counterclockwise rings, open at the boundary.
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

// A grid of nx x ny points, every square split along its rising diagonal. Rings are 1-based,
// the point first, neighbours counterclockwise, open after the boundary gap; boundary points get
// a unit outward normal. A small jitter (deterministic) keeps distances from tying everywhere.
struct StructuredMesh {
    int np = 0;
    std::vector<double> x, y, nx, ny;
    std::vector<int> counts, offsets, list;

    StructuredMesh(int cols, int rows, double jitter = 0.0)
    {
        static const int dirs[6][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 0}, {-1, -1}, {0, -1}};
        np = cols * rows;
        auto id = [&](int i, int j) { return j * cols + i; };
        unsigned seed = 12345;
        auto rnd = [&]() {
            seed = seed * 1103515245u + 12345u;
            return ((seed >> 8) & 0xFFFF) / 65535.0 - 0.5;
        };
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < cols; ++i) {
                const bool edge = i == 0 || j == 0 || i == cols - 1 || j == rows - 1;
                const double jx = edge ? 0 : jitter * rnd(), jy = edge ? 0 : jitter * rnd();
                x.push_back(i + jx);
                y.push_back(j + jy);
                const double ex = i == 0 ? -1 : i == cols - 1 ? 1 : 0;
                const double ey = j == 0 ? -1 : j == rows - 1 ? 1 : 0;
                const double l = std::hypot(ex, ey);
                nx.push_back(l > 0 ? ex / l : 0);
                ny.push_back(l > 0 ? ey / l : 0);
                bool ok[6];
                for (int k = 0; k < 6; ++k) {
                    const int a = i + dirs[k][0], b = j + dirs[k][1];
                    ok[k] = a >= 0 && a < cols && b >= 0 && b < rows;
                }
                int start = 0;
                for (int k = 0; k < 6; ++k)
                    if (!ok[(k + 5) % 6] && ok[k]) {
                        start = k;
                        break;
                    }
                offsets.push_back(static_cast<int>(list.size()));
                list.push_back(id(i, j) + 1);
                for (int k = 0; k < 6; ++k) {
                    const int d = (start + k) % 6;
                    if (ok[d])
                        list.push_back(id(i + dirs[d][0], j + dirs[d][1]) + 1);
                }
                counts.push_back(static_cast<int>(list.size()) - offsets.back());
            }
    }
};
