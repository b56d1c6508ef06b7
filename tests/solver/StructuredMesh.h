#pragma once
// A grid of cols x rows points, every square split along its rising diagonal. Rings are 1-based,
// the point first, neighbours counterclockwise, open after the boundary gap; boundary points get
// a unit outward normal. A small deterministic jitter of the inner points keeps distances from
// tying everywhere. Shared by the engine tests and benchmarks; plain C++.
#include <cmath>
#include <vector>

struct StructuredMesh {
    int np = 0;
    int cols = 0, rows = 0;
    std::vector<double> x, y, nx, ny;
    std::vector<int> counts, offsets, list;

    StructuredMesh(int cols_, int rows_, double jitter = 0.0) : cols(cols_), rows(rows_)
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

    // Vertex triples (1-based) of the two triangles of every square.
    std::vector<int> triangles() const
    {
        std::vector<int> t;
        for (int j = 0; j + 1 < rows; ++j)
            for (int i = 0; i + 1 < cols; ++i) {
                const int a = j * cols + i + 1, b = a + 1, c = a + cols + 1, d = a + cols;
                t.insert(t.end(), {a, b, c, a, c, d});
            }
        return t;
    }
};
