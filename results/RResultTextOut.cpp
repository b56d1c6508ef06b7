#include "results/RResultTextOut.h"

#include "document/RMORVCompile.h"
#include "results/RResultHolder.h"

#include <algorithm>
#include <charconv>
#include <functional>

int resultLayout(const SControlData& control, int separateTimes)
{
    const bool separate = separateTimes != 0;
    const bool twoGrids = control.twoGrid > 0;
    if (control.PARMT == 0) {
        if (control.spaceDimension == 0)
            return LayoutScalar;
        if (control.spaceDimension == 2)
            return LayoutPlaneSteady;
        return twoGrids ? LayoutLineSteadyTwoGrids : LayoutLineSteady;
    }
    const bool x = control.PARMX != 0, y = control.PARMY != 0;
    if (x && y)
        return separate ? LayoutPlaneSeparate : LayoutPlane;
    if (!x && !y)
        return separate ? LayoutTimeSeriesSeparate : LayoutTimeSeries;
    if (twoGrids)
        return separate ? LayoutLineTwoGridsSeparate : LayoutLineTwoGrids;
    return separate ? LayoutLineSeparate : LayoutLine;
}

QString formatExponent(double value, int width, int precision)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
        std::chars_format::scientific, precision);
    QString text = ec == std::errc() ? QString::fromLatin1(buffer, end - buffer) : QString();
    text = text.toUpper();
    if (text.size() < width)
        text.prepend(QString(width - text.size(), u' '));
    return text;
}

namespace {

QString padLeft(const QString& text, int width)
{
    return text.size() >= width ? text : QString(width - text.size(), u' ') + text;
}

const QString NamesEnd = QStringLiteral(" __________");

// One column of a table: a selected quantity and where its value stands in a row.
struct Column {
    QString name;
    bool sub = false;
    int valueIndex = 0;
};

class TextTables {
public:
    TextTables(QStringList& lines, const RResultHolder& holder, const RMORVCompile& document,
        int digits)
        : m_lines(lines), m_data(holder.result), m_selectedVariables(holder.selectedVariables),
          m_selectedSubs(holder.selectedSubVariables), m_control(*document.control),
          m_symbols(*document.symbols), m_s(std::max(1, digits))
    {
    }

    void write();

private:
    enum Grid { AnyGrid, Grid1, Grid2 };

    QString value(double v) const { return formatExponent(v, m_s + 7, m_s - 1); }
    QString coordinate(double v) const { return formatExponent(v, m_s + 6, m_s - 1); }
    QString timeLabel(double t) const { return padLeft(m_symbols.tName, 8) + u'=' + value(t); }
    QString gridTimeLabel(QChar mark, double t) const
    {
        return mark + padLeft(m_symbols.tName, 7) + u'=' + value(t);
    }
    QString planeTimeLabel(double t) const { return timeLabel(t) + QString(m_s - 1, u' '); }
    QString lineLabel(const RResultPoint& p) const
    {
        if (m_control.PARMX != 0)
            return padLeft(m_symbols.xName, 8) + u'=' + value(p.x);
        return padLeft(m_symbols.yName, 8) + u'=' + value(p.y);
    }
    QString pointLabel(const RResultPoint& p) const
    {
        return u'(' + coordinate(p.x) + u',' + coordinate(p.y) + u')';
    }
    QString blanks(int n) const { return QString(n, u' '); }
    int lineWidth() const { return m_s + 16; }
    int planeWidth() const { return 2 * m_s + 15; }

    QList<Column> columns(bool variables, bool subs, Grid grid) const;
    QList<Column> oneGridColumns(bool variables, bool subs) const
    {
        return columns(variables, subs, m_control.twoGrid > 0 ? Grid1 : AnyGrid);
    }
    void namesLine(const QString& leadIn, const QList<Column>& columns);
    void dataLine(const QString& label, const QList<Column>& columns,
        const RResultRowBuffer& variableRows, const RResultRowBuffer& subRows, std::int64_t row);

    void scalar();
    void steady(const QString& leadIn, const std::function<QString(const RResultPoint&)>& label);
    void steadyTwoGrids();
    void timeSeries();
    void separateSections(const std::function<void(bool sub)>& part);
    void timeSeriesPart(bool sub);
    void lineTransient(bool separate, bool plane);
    void linePart(bool sub, bool plane);
    void twoGridTables(double time, std::int64_t timeIndex, const QList<Column>& grid1,
        const QList<Column>& grid2);
    void lineTwoGrids();
    void lineTwoGridsSeparate();

    QStringList& m_lines;
    const RResultData& m_data;
    const QList<int>& m_selectedVariables;
    const QList<int>& m_selectedSubs;
    const SControlData& m_control;
    const SSymbolTable& m_symbols;
    const int m_s;
};

// The selected quantities of the asked kinds on the asked grid, in list order. A row of one
// grid holds only that grid's quantities, so a value stands at the quantity's rank among the
// quantities of its kind on its grid.
QList<Column> TextTables::columns(bool variables, bool subs, Grid grid) const
{
    QList<Column> result;
    auto add = [&](const QList<int>& selected, const QStringList& names,
                   const QList<int>& attributes, int count, bool sub) {
        for (int number : selected) {
            if (number < 1 || number > count)
                continue;
            const bool second = attributes.value(number - 1) != 0;
            if ((grid == Grid1 && second) || (grid == Grid2 && !second))
                continue;
            int rank = number - 1;
            if (grid != AnyGrid) {
                rank = 0;
                for (int k = 0; k < number - 1; ++k)
                    if ((attributes.value(k) != 0) == second)
                        ++rank;
            }
            result.append(Column{names.value(number - 1), sub, rank});
        }
    };
    if (variables)
        add(m_selectedVariables, m_symbols.variableNames, m_symbols.variableAttributes,
            m_control.variableCount, false);
    if (subs)
        add(m_selectedSubs, m_symbols.subVariableNames, m_symbols.subVariableAttributes,
            m_control.subVariableCount, true);
    return result;
}

void TextTables::namesLine(const QString& leadIn, const QList<Column>& list)
{
    QString line = leadIn;
    for (const Column& c : list)
        line += padLeft(c.name, m_s + 7);
    m_lines.append(line + NamesEnd);
}

// Written only when every row it reads was stored.
void TextTables::dataLine(const QString& label, const QList<Column>& list,
    const RResultRowBuffer& variableRows, const RResultRowBuffer& subRows, std::int64_t row)
{
    for (const Column& c : list) {
        const RResultRowBuffer& rows = c.sub ? subRows : variableRows;
        if (row >= rows.count() || c.valueIndex >= rows.valueCount())
            return;
    }
    QString line = label;
    for (const Column& c : list)
        line += value((c.sub ? subRows : variableRows).values(row)[c.valueIndex]);
    m_lines.append(line);
}

void TextTables::scalar()
{
    const QList<Column> variables = oneGridColumns(true, false);
    const QList<Column> subs = oneGridColumns(false, true);
    namesLine(QString(), variables + subs);
    QString line;
    auto append = [&](const RResultRowBuffer& rows, const QList<Column>& list) {
        for (std::int64_t r = 0; r < rows.count(); ++r)
            for (const Column& c : list)
                if (c.valueIndex < rows.valueCount())
                    line += value(rows.values(r)[c.valueIndex]);
    };
    append(m_data.variableRows1, variables);
    append(m_data.subVariableRows1, subs);
    m_lines.append(line);
    m_lines.append(QString());
}

void TextTables::steady(const QString& leadIn,
    const std::function<QString(const RResultPoint&)>& label)
{
    const QList<Column> list = oneGridColumns(true, true);
    namesLine(leadIn, list);
    const std::int64_t n = std::int64_t(m_data.grid1Points.size());
    for (std::int64_t p = 0; p < n; ++p)
        dataLine(label(m_data.grid1Points[p]), list, m_data.variableRows1,
            m_data.subVariableRows1, p);
}

void TextTables::steadyTwoGrids()
{
    const QString gap = blanks(m_s + 15);
    auto grid = [&](QChar mark, const QList<Column>& list, const std::vector<RResultPoint>& points,
                    const RResultRowBuffer& variableRows, const RResultRowBuffer& subRows) {
        if (list.isEmpty())
            return;
        namesLine(mark + gap, list);
        for (std::int64_t p = 0; p < std::int64_t(points.size()); ++p)
            dataLine(lineLabel(points[p]), list, variableRows, subRows, p);
    };
    grid(u'+', columns(true, true, Grid1), m_data.grid1Points, m_data.variableRows1,
        m_data.subVariableRows1);
    grid(u'_', columns(true, true, Grid2), m_data.grid2Points, m_data.variableRows2,
        m_data.subVariableRows2);
}

void TextTables::timeSeries()
{
    const QList<Column> list = oneGridColumns(true, true);
    namesLine(blanks(lineWidth()), list);
    for (std::size_t i = 0; i < m_data.variableTimes.size(); ++i)
        dataLine(timeLabel(m_data.variableTimes[i]), list, m_data.variableRows1,
            m_data.subVariableRows1, std::int64_t(i));
}

void TextTables::separateSections(const std::function<void(bool sub)>& part)
{
    m_lines.append(QStringLiteral("[VARIABLE] %1").arg(m_selectedVariables.size()));
    part(false);
    m_lines.append(QStringLiteral("[END]"));
    m_lines.append(QStringLiteral("[SUB_VARIABLE] %1").arg(m_selectedSubs.size()));
    part(true);
    m_lines.append(QStringLiteral("[END]"));
}

void TextTables::timeSeriesPart(bool sub)
{
    if ((sub ? m_selectedSubs : m_selectedVariables).isEmpty())
        return;
    const QList<Column> list = oneGridColumns(!sub, sub);
    const std::vector<double>& times = sub ? m_data.subVariableTimes : m_data.variableTimes;
    namesLine(blanks(lineWidth()), list);
    for (std::size_t i = 0; i < times.size(); ++i)
        dataLine(timeLabel(times[i]), list, m_data.variableRows1, m_data.subVariableRows1,
            std::int64_t(i));
}

// Layouts 7 and 11: one table per variable time with the sub variables of the same index.
void TextTables::lineTransient(bool separate, bool plane)
{
    if (separate) {
        separateSections([&](bool sub) { linePart(sub, plane); });
        return;
    }
    const QList<Column> list = oneGridColumns(true, true);
    const std::vector<RResultPoint>& points = m_data.grid1Points;
    const std::int64_t n = std::int64_t(points.size());
    for (std::size_t i = 0; i < m_data.variableTimes.size(); ++i) {
        const double t = m_data.variableTimes[i];
        namesLine(plane ? planeTimeLabel(t) : timeLabel(t), list);
        for (std::int64_t p = 0; p < n; ++p)
            dataLine(plane ? pointLabel(points[p]) : lineLabel(points[p]), list,
                m_data.variableRows1, m_data.subVariableRows1, n * std::int64_t(i) + p);
    }
}

void TextTables::linePart(bool sub, bool plane)
{
    if ((sub ? m_selectedSubs : m_selectedVariables).isEmpty())
        return;
    const QList<Column> list = oneGridColumns(!sub, sub);
    const std::vector<double>& times = sub ? m_data.subVariableTimes : m_data.variableTimes;
    const std::vector<RResultPoint>& points = m_data.grid1Points;
    const std::int64_t n = std::int64_t(points.size());
    for (std::size_t i = 0; i < times.size(); ++i) {
        namesLine(plane ? planeTimeLabel(times[i]) : timeLabel(times[i]), list);
        for (std::int64_t p = 0; p < n; ++p)
            dataLine(plane ? pointLabel(points[p]) : lineLabel(points[p]), list,
                m_data.variableRows1, m_data.subVariableRows1, n * std::int64_t(i) + p);
    }
}

void TextTables::twoGridTables(double time, std::int64_t i, const QList<Column>& grid1,
    const QList<Column>& grid2)
{
    auto grid = [&](QChar mark, const QList<Column>& list, const std::vector<RResultPoint>& points,
                    const RResultRowBuffer& variableRows, const RResultRowBuffer& subRows) {
        if (list.isEmpty())
            return;
        namesLine(gridTimeLabel(mark, time), list);
        const std::int64_t n = std::int64_t(points.size());
        for (std::int64_t p = 0; p < n; ++p)
            dataLine(lineLabel(points[p]), list, variableRows, subRows, n * i + p);
    };
    grid(u'+', grid1, m_data.grid1Points, m_data.variableRows1, m_data.subVariableRows1);
    grid(u'_', grid2, m_data.grid2Points, m_data.variableRows2, m_data.subVariableRows2);
}

void TextTables::lineTwoGrids()
{
    const QList<Column> grid1 = columns(true, true, Grid1);
    const QList<Column> grid2 = columns(true, true, Grid2);
    for (std::size_t i = 0; i < m_data.variableTimes.size(); ++i)
        twoGridTables(m_data.variableTimes[i], std::int64_t(i), grid1, grid2);
}

void TextTables::lineTwoGridsSeparate()
{
    separateSections([&](bool sub) {
        const QList<Column> grid1 = columns(!sub, sub, Grid1);
        const QList<Column> grid2 = columns(!sub, sub, Grid2);
        const std::vector<double>& times = sub ? m_data.subVariableTimes : m_data.variableTimes;
        for (std::size_t i = 0; i < times.size(); ++i)
            twoGridTables(times[i], std::int64_t(i), grid1, grid2);
    });
}

void TextTables::write()
{
    switch (resultLayout(m_control, m_data.separateTimes)) {
    case LayoutScalar:
        scalar();
        break;
    case LayoutPlaneSteady:
        steady(blanks(planeWidth()), [this](const RResultPoint& p) { return pointLabel(p); });
        break;
    case LayoutLineSteady:
        steady(blanks(lineWidth()), [this](const RResultPoint& p) { return lineLabel(p); });
        break;
    case LayoutLineSteadyTwoGrids:
        steadyTwoGrids();
        break;
    case LayoutTimeSeries:
        timeSeries();
        break;
    case LayoutTimeSeriesSeparate:
        separateSections([this](bool sub) { timeSeriesPart(sub); });
        break;
    case LayoutLine:
        lineTransient(false, false);
        break;
    case LayoutLineSeparate:
        lineTransient(true, false);
        break;
    case LayoutLineTwoGrids:
        lineTwoGrids();
        break;
    case LayoutLineTwoGridsSeparate:
        lineTwoGridsSeparate();
        break;
    case LayoutPlane:
        lineTransient(false, true);
        break;
    case LayoutPlaneSeparate:
        lineTransient(true, true);
        break;
    }
}

} // namespace

void ResultTextOut(QStringList& lines, const RResultHolder& holder, const RMORVCompile& document,
    int significantDigits)
{
    lines.clear();
    TextTables(lines, holder, document, significantDigits).write();
}
