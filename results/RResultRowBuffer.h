#pragma once
#include <cstdint>
#include <memory>
#include <vector>

// The rows of one kind of quantity (variables or sub variables) on one grid of a loaded
// result. Every row holds the same number of values. Rows are appended block after block and
// point after point, so the row of time index i and point p sits at position n * i + p (n the
// grid's point count); the time and point index of a row follow from its position and are not
// stored. Values live in chunks of ChunkRows rows that are never moved once filled, so
// growing costs no copy and wastes at most one chunk.
class RResultRowBuffer {
public:
    static constexpr std::int64_t ChunkRows = 1024;

    RResultRowBuffer() = default;
    RResultRowBuffer(int valueCount, std::int64_t pointsPerBlock)
        : m_valueCount(valueCount < 0 ? 0 : valueCount), m_pointsPerBlock(pointsPerBlock)
    {
    }
    RResultRowBuffer(RResultRowBuffer&&) noexcept = default;
    RResultRowBuffer& operator=(RResultRowBuffer&&) noexcept = default;
    RResultRowBuffer(const RResultRowBuffer&) = delete;
    RResultRowBuffer& operator=(const RResultRowBuffer&) = delete;

    std::int64_t count() const { return m_count; }
    int valueCount() const { return m_valueCount; }
    std::int64_t pointsPerBlock() const { return m_pointsPerBlock; }

    // 0-based index into the time list of the row's kind.
    std::int64_t timeIndex(std::int64_t row) const
    {
        return m_pointsPerBlock > 0 ? row / m_pointsPerBlock : 0;
    }
    // 0-based index of the row's point in its grid's point list.
    std::int64_t pointIndex(std::int64_t row) const
    {
        return m_pointsPerBlock > 0 ? row % m_pointsPerBlock : 0;
    }
    // The row's valueCount() values; row must be below count(). Null for rows without values.
    const double* values(std::int64_t row) const
    {
        if (m_valueCount == 0)
            return nullptr;
        return m_chunks[std::size_t(row / ChunkRows)].get() + (row % ChunkRows) * m_valueCount;
    }

    // Keeps the first `rows` rows (no more than there are) and drops the others.
    void truncate(std::int64_t rows)
    {
        if (rows < 0 || rows >= m_count)
            return;
        m_count = rows;
        if (m_valueCount > 0)
            m_chunks.resize(std::size_t((rows + ChunkRows - 1) / ChunkRows));
    }

    // Appends one row and returns its values to be filled (null when rows hold no values).
    double* appendRow()
    {
        double* row = nullptr;
        if (m_valueCount > 0) {
            const std::int64_t inChunk = m_count % ChunkRows;
            if (inChunk == 0)
                m_chunks.push_back(
                    std::make_unique_for_overwrite<double[]>(std::size_t(ChunkRows * m_valueCount)));
            row = m_chunks.back().get() + inChunk * m_valueCount;
        }
        ++m_count;
        return row;
    }

private:
    std::vector<std::unique_ptr<double[]>> m_chunks;
    std::int64_t m_count = 0;
    int m_valueCount = 0;
    std::int64_t m_pointsPerBlock = 0;
};
