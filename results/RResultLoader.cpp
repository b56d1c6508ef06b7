#include "results/RResultLoader.h"

#include "document/RMessages.h"
#include "document/RMORVCompile.h"
#include "results/RResultHolder.h"
#include "results/RResultLineReader.h"

#include <cmath>

namespace {

// Two times of one output closer than this count as the same.
constexpr double SameTime = 1e-12;

class ResultFileLoad {
public:
    ResultFileLoad(const RMORVCompile& document, const QString& path, std::int64_t rowLimit,
                   bool incomplete)
        : m_reader(path), m_control(*document.control), m_symbols(*document.symbols),
          m_rowLimit(rowLimit), m_incomplete(incomplete)
    {
    }

    int run();
    RResultData& data() { return m_data; }
    // An incomplete result ended inside an output; what was before it is loaded.
    bool endedEarly() const { return m_endedEarly; }

private:
    // Where the next block of the file starts in the loaded data.
    struct BlockStart {
        std::size_t variableTimes = 0, subVariableTimes = 0;
        std::int64_t rows[4] = {};
        int separateTimes = 0;
    };
    bool nextLine(std::string_view& line);
    BlockStart blockStart() const;
    int endInsideBlock(int status, const BlockStart& start);
    bool readHeader();
    int compareAttributes(const QList<int>& attributes, int count);
    bool readPoints(std::vector<RResultPoint>& points, int count);
    bool skipMesh(int pointCount);
    int readBlocks();
    int readRows(RResultRowBuffer& rows, int lineCount);
    bool readTimeLine(std::vector<double>& times, bool& blank);

    RResultLineReader m_reader;
    const SControlData& m_control;
    const SSymbolTable& m_symbols;
    const std::int64_t m_rowLimit;
    const bool m_incomplete;
    RResultData m_data;
    int m_header[8] = {};
    bool m_twoGrid = false;
    bool m_partialLine = false;   // an unfinished last line was left out
    bool m_lineMissing = false;   // the file ended where a point, mesh or row line was due
    bool m_endedEarly = false;
};

// The next line. The last line of an incomplete result may be one the run had not finished
// writing, with a number cut short that still reads as a number: a line without its line end
// counts as missing there.
bool ResultFileLoad::nextLine(std::string_view& line)
{
    if (!m_reader.readLine(line))
        return false;
    if (m_incomplete && !m_reader.lineEnded()) {
        m_partialLine = true;
        return false;
    }
    return true;
}

ResultFileLoad::BlockStart ResultFileLoad::blockStart() const
{
    BlockStart s;
    s.variableTimes = m_data.variableTimes.size();
    s.subVariableTimes = m_data.subVariableTimes.size();
    s.rows[0] = m_data.variableRows1.count();
    s.rows[1] = m_data.variableRows2.count();
    s.rows[2] = m_data.subVariableRows1.count();
    s.rows[3] = m_data.subVariableRows2.count();
    s.separateTimes = m_data.separateTimes;
    return s;
}

// A block that the file ended inside: in an incomplete result it is dropped and the load ends
// well with what was before it; otherwise the status stands.
int ResultFileLoad::endInsideBlock(int status, const BlockStart& start)
{
    if (status != ResultUnexpectedError || !m_incomplete || !m_lineMissing || m_reader.failed())
        return status;
    m_data.variableTimes.resize(start.variableTimes);
    m_data.subVariableTimes.resize(start.subVariableTimes);
    m_data.variableRows1.truncate(start.rows[0]);
    m_data.variableRows2.truncate(start.rows[1]);
    m_data.subVariableRows1.truncate(start.rows[2]);
    m_data.subVariableRows2.truncate(start.rows[3]);
    m_data.separateTimes = start.separateTimes;
    m_endedEarly = true;
    return ResultLoaded;
}

int countOnGrid(const QList<int>& attributes, int count, bool secondGrid)
{
    int n = 0;
    for (int k = 0; k < count; ++k)
        if ((attributes.value(k) != 0) == secondGrid)
            ++n;
    return n;
}

bool ResultFileLoad::readHeader()
{
    std::string_view line;
    if (!nextLine(line))
        return false;
    RResultFields fields(line);
    for (int& item : m_header) {
        std::string_view field;
        if (!fields.next(field) || !resultToInt(field, item))
            return false;
    }
    return true;
}

// 0 when item k of the next line equals attribute k for every k below count.
int ResultFileLoad::compareAttributes(const QList<int>& attributes, int count)
{
    std::string_view line;
    if (!nextLine(line))
        return ResultUnexpectedError;
    RResultFields fields(line);
    for (int k = 0; k < count; ++k) {
        std::string_view field;
        int value = 0;
        if (!fields.next(field) || !resultToInt(field, value))
            return ResultUnexpectedError;
        if (value != attributes.value(k))
            return ResultWrongDocument;
    }
    return ResultLoaded;
}

// The list grows with the lines read, so a damaged count cannot make it large by itself.
bool ResultFileLoad::readPoints(std::vector<RResultPoint>& points, int count)
{
    for (int p = 0; p < count; ++p) {
        std::string_view line, field;
        if (!nextLine(line)) {
            m_lineMissing = true;
            return false;
        }
        RResultFields fields(line);
        RResultPoint point;
        if (!fields.next(field) || !resultToDouble(field, point.x))
            return false;
        if (!fields.next(field) || !resultToDouble(field, point.y))
            return false;
        points.push_back(point);
    }
    return true;
}

// Triangles and neighbour lines of a plane result; the tables need neither. A run that ended
// before writing its neighbour lines leaves a result without blocks, which still loads.
bool ResultFileLoad::skipMesh(int pointCount)
{
    std::string_view line, field;
    int triangles = 0;
    if (!nextLine(line)) {
        m_lineMissing = true;
        return false;
    }
    RResultFields fields(line);
    if (!fields.next(field) || !resultToInt(field, triangles) || triangles < 0)
        return false;
    const std::int64_t skip = std::int64_t(triangles) + pointCount;
    for (std::int64_t i = 0; i < skip && nextLine(line); ++i) {
    }
    return true;
}

// Reads lineCount row lines into rows. A buffer without values still has its lines, empty in
// a two-grid result (read and dropped), or one row each in a one-grid result.
int ResultFileLoad::readRows(RResultRowBuffer& rows, int lineCount)
{
    const int valueCount = rows.valueCount();
    for (int p = 0; p < lineCount; ++p) {
        std::string_view line;
        if (!nextLine(line)) {
            m_lineMissing = true;
            return ResultUnexpectedError;
        }
        if (m_twoGrid && valueCount == 0)
            continue;
        if (rows.count() + 1 >= m_rowLimit)
            return ResultBufferOverflow;
        double* values = rows.appendRow();
        RResultFields fields(line);
        for (int k = 0; k < valueCount; ++k) {
            std::string_view field;
            if (!fields.next(field) || !resultToDouble(field, values[k]))
                return ResultUnexpectedError;
        }
    }
    return ResultLoaded;
}

// A missing line at the end of the file reads as a blank one.
bool ResultFileLoad::readTimeLine(std::vector<double>& times, bool& blank)
{
    std::string_view line, field;
    blank = !nextLine(line) || isBlankLine(line);
    if (blank)
        return true;
    RResultFields fields(line);
    double time = 0.0;
    if (!fields.next(field) || !resultToDouble(field, time))
        return false;
    times.push_back(time);
    return true;
}

int ResultFileLoad::readBlocks()
{
    const int subVariableCount = m_control.subVariableCount;
    const int n1 = m_twoGrid ? m_header[6] : m_header[4];
    const int n2 = m_twoGrid ? m_header[7] : 0;
    for (;;) {
        if (m_reader.atEnd())
            return m_reader.failed() ? ResultUnexpectedError : ResultLoaded;
        bool blank = false;
        BlockStart start = blockStart();
        if (subVariableCount > 0) {
            if (!readTimeLine(m_data.subVariableTimes, blank))
                return ResultUnexpectedError;
            if (blank)
                continue;
            // Sub variables have no lines on a grid that carries none of them.
            RResultRowBuffer& sub1 = m_data.subVariableRows1;
            RResultRowBuffer& sub2 = m_data.subVariableRows2;
            if (int status = readRows(sub1, sub1.valueCount() > 0 ? n1 : 0))
                return endInsideBlock(status, start);
            if (int status = readRows(sub2, sub2.valueCount() > 0 ? n2 : 0))
                return endInsideBlock(status, start);
            // A complete sub-variable block stays, as it does at the end of a finished file;
            // in an incomplete one its variable block is still to come.
            start = blockStart();
            if (m_incomplete && m_reader.atEnd())
                m_endedEarly = true;
        }
        if (!readTimeLine(m_data.variableTimes, blank))
            return ResultUnexpectedError;
        if (blank)
            continue;
        if (subVariableCount > 0 && m_data.separateTimes == 0
            && std::fabs(m_data.variableTimes.back() - m_data.subVariableTimes.back()) > SameTime)
            m_data.separateTimes = 1;
        if (int status = readRows(m_data.variableRows1, n1))
            return endInsideBlock(status, start);
        if (int status = readRows(m_data.variableRows2, n2))
            return endInsideBlock(status, start);
    }
}

int ResultFileLoad::run()
{
    if (!m_reader.isOpen() || !readHeader())
        return ResultUnexpectedError;
    const int* h = m_header;
    if (h[2] != m_control.variableCount || h[3] != m_control.subVariableCount
        || h[0] != m_control.PARMX || h[1] != m_control.PARMY || h[5] != m_control.twoGrid)
        return ResultWrongDocument;
    if (int status = compareAttributes(m_symbols.variableAttributes, m_control.variableCount))
        return status;
    if (m_control.subVariableCount > 0)
        if (int status = compareAttributes(m_symbols.subVariableAttributes, m_control.subVariableCount))
            return status;

    // A one-grid run writes np / 2 + 1 and np / 2 as the grid counts, which it does not use.
    m_twoGrid = h[5] >= 1;
    if (h[4] < 0 || h[6] < 0 || h[7] < 0 || (m_twoGrid && std::int64_t(h[6]) + h[7] != h[4]))
        return ResultUnexpectedError;

    const int variableCount = m_control.variableCount;
    const int subVariableCount = m_control.subVariableCount;
    if (!m_twoGrid) {
        m_data.variableRows1 = RResultRowBuffer(variableCount, h[4]);
        m_data.subVariableRows1 = RResultRowBuffer(subVariableCount, h[4]);
    } else {
        const QList<int>& va = m_symbols.variableAttributes;
        const QList<int>& sa = m_symbols.subVariableAttributes;
        m_data.variableRows1 = RResultRowBuffer(countOnGrid(va, variableCount, false), h[6]);
        m_data.variableRows2 = RResultRowBuffer(countOnGrid(va, variableCount, true), h[7]);
        m_data.subVariableRows1 = RResultRowBuffer(countOnGrid(sa, subVariableCount, false), h[6]);
        m_data.subVariableRows2 = RResultRowBuffer(countOnGrid(sa, subVariableCount, true), h[7]);
    }
    // A run stopped while it wrote its points or its mesh has no output yet.
    const bool pointsRead = m_twoGrid
        ? readPoints(m_data.grid1Points, h[6]) && readPoints(m_data.grid2Points, h[7])
        : readPoints(m_data.grid1Points, h[4]);
    if (!pointsRead || (m_control.spaceDimension == 2 && !skipMesh(h[4])))
        return endInsideBlock(ResultUnexpectedError, blockStart());
    const int status = readBlocks();
    if (status == ResultLoaded && m_partialLine)
        m_endedEarly = true;
    return status;
}

} // namespace

int LoadResultFile(RResultHolder& holder, const RMORVCompile& document, const QString& path,
                   bool incomplete)
{
    ResultFileLoad load(document, path, holder.resultBufferRows(), incomplete);
    const int status = load.run();
    switch (status) {
    case ResultLoaded: {
        if (load.endedEarly())
            postMessage(MessageKind::Information,
                        QStringLiteral("The result file ends early, inside an output the run was "
                                       "writing; the complete outputs before it are shown."));
        RResultData& data = load.data();
        data.variableTimes.shrink_to_fit();
        data.subVariableTimes.shrink_to_fit();
        data.grid1Points.shrink_to_fit();
        data.grid2Points.shrink_to_fit();
        holder.result = std::move(data);
        break;
    }
    case ResultWrongDocument:
        postMessage(MessageKind::Error, QStringLiteral("Result file is wrong with this document."));
        break;
    case ResultBufferOverflow:
        postMessage(MessageKind::Error, QStringLiteral("Result data buffer overflow."));
        break;
    default:
        postMessage(MessageKind::Error, QStringLiteral("unexpected error"));
        break;
    }
    return status;
}
