#include "compiler/SolverDataFileWriter.h"

#include "compiler/OutputTimes.h"
#include "compiler/SolverDataFields.h"
#include "chemistry/RSSChem.h"
#include "document/RMORVCompile.h"
#include "document/RMORVDocument.h"
#include "document/RTriangleMesh.h"
#include "document/SInputData.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <exception>
#include <sstream>

using namespace SolverDataFields;

namespace {

// Node numbers in the file leave out the three corners of the enclosing triangle.
constexpr int kCorners = 3;

QByteArray line(const QByteArray& text)
{
    return text + kEol;
}

QByteArray joined(std::initializer_list<QByteArray> fields)
{
    QByteArray out;
    for (const QByteArray& f : fields) {
        if (!out.isEmpty())
            out += ", ";
        out += f;
    }
    return out;
}

void writeIntegralRegions(QByteArray& out, const QList<SIntegral>& regions, const char* title,
                          int (*fileNumber)(int))
{
    out += line(integer(regions.size()) + " /" + title);
    if (regions.isEmpty())
        return;
    {
        ValueRun ends(out, int(regions.size()));
        long long end = 0;
        for (const SIntegral& r : regions) {
            end += r.list.size();
            ends.add(' ' + integer(end, 5));
        }
        ends.finish();
    }
    for (const SIntegral& r : regions) {
        ValueRun run(out, 30);
        for (const int p : r.list)
            run.add(' ' + integer(fileNumber(p), 5));
        run.finish();
    }
}

int lineRegionEntry(int p)
{
    // The sign that starts a new piece is kept; the magnitude becomes a file point number.
    return p > 0 ? p - 2 : p + 2;
}

int areaRegionEntry(int p)
{
    return p - 2;
}

// The dummy grid of a problem without space parameters: three corners and one point at (1, 1).
std::vector<RGridPoint> dummyGrid()
{
    std::vector<RGridPoint> nodes(4);
    for (RGridPoint& n : nodes) {
        n.x = 1.0;
        n.y = 1.0;
        n.sourcePoint = -1;
    }
    return nodes;
}

bool buildText(const SolverDataSource& src, QByteArray& out, QString& error)
{
    const RMORVCompile& comp = *src.compiler;
    const SControlData& c = *comp.control;
    const SSymbolTable& s = *comp.symbols;
    const int dimension = c.spaceDimension;
    const std::vector<RGridPoint>& nodes = src.mesh->gridPoints;

    if (dimension > 0 && int(nodes.size()) <= kCorners) {
        error = QStringLiteral("the grid has no points");
        return false;
    }
    if (src.currentInputSet < 0 || src.currentInputSet >= src.inputSets->size()) {
        error = QStringLiteral("no input data set %1").arg(src.currentInputSet + 1);
        return false;
    }
    const SInputData& input = (*src.inputSets)[src.currentInputSet];
    if (input.values.size() != c.inputCount || s.variableAttributes.size() != c.variableCount
        || s.subVariableAttributes.size() != c.subVariableCount) {
        error = QStringLiteral("the symbol counts do not match their lists");
        return false;
    }
    if (s.thermoFlag != 0 && !src.chemistryBlock) {
        error = QStringLiteral("no chemistry data set");
        return false;
    }
    const QStringList badRegions = integralRegionsOutsideGrid(comp, *src.mesh);
    if (!badRegions.isEmpty()) {
        error = QStringLiteral("integral region does not match the grid: ") + badRegions.join(QStringLiteral(", "));
        return false;
    }

    out += line(joined({integer(c.RESTART), integer(c.LMAX), integer(c.IPRT), integer(c.IPRN),
                        integer(c.FLOATINGERROR), integer(c.FILEOUTTYPE)}));
    out += line(joined({real(c.TSTART), real(c.DELT), real(c.DELP)}));
    out += line(joined({real(c.OMEGA), real(c.ALPHA), real(c.EPS), real(c.EPSDIF)}));
    out += line(joined({integer(c.variableCount), integer(c.subVariableCount), integer(c.temporaryCount),
                        integer(c.localCount)}));
    const auto attributeLine = [&out](const QList<int>& attributes) {
        if (attributes.isEmpty())
            return;
        QByteArray text;
        for (const int a : attributes)
            text += ' ' + integer(a);
        out += line(text);
    };
    attributeLine(s.variableAttributes);
    attributeLine(s.subVariableAttributes);
    out += line(joined({integer(c.MISES), integer(src.adjustTimeStep ? c.AUTODELT : 0), integer(3),
                        integer(c.METHOD), integer(c.IFIL), integer(c.twoGrid)}));
    out += line(joined({integer(c.PARMT), integer(c.PARMX), integer(c.PARMY)}));

    const QList<double> times = solverOutputTimes(c.PARMT != 0, c.TSTART, c.TEND, s.TGRID_A, s.TGRID_B);
    if (times.isEmpty()) {
        error = QStringLiteral("more output times than a run can take");
        return false;
    }
    out += line(integer(times.size()) + " /timegrid");
    writeReals(out, times.size(), [&times](long long i) { return times[i]; });

    // Grid points are the mesh nodes from index 3 on.
    const std::vector<RGridPoint> dummy = dimension == 0 ? dummyGrid() : std::vector<RGridPoint>();
    const std::vector<RGridPoint>& grid = dimension == 0 ? dummy : nodes;
    const long long np = (long long)grid.size() - kCorners;
    const auto node = [&grid](long long i) -> const RGridPoint& { return grid[size_t(i + kCorners)]; };
    // Room for the grid's lines at once: a few hundred bytes per point, fewer per triangle.
    out.reserve(out.size() + qsizetype(np) * 200
                + (dimension == 2 ? qsizetype(src.mesh->triangles.size()) * 48 : 0));
    out += line(integer(np) + " /grid");
    writeReals(out, np, [&node](long long i) { return node(i).x; });
    writeReals(out, np, [&node](long long i) { return node(i).y; });
    writeReals(out, np, [&node](long long i) { return node(i).normalX; });
    writeReals(out, np, [&node](long long i) { return node(i).normalY; });

    out += line(integer(c.inputCount) + " /input");
    writeReals(out, input.values.size(), [&input](long long i) { return input.values[i]; });

    out += line(integer((long long)comp.literals.size()) + " /constant");
    writeReals(out, (long long)comp.literals.size(), [&comp](long long i) { return comp.literals[size_t(i)]; });

    char field[48];
    {
        ValueRun run(out, 30);
        for (long long i = 0; i < np; ++i)
            run.add(field, formatSeparatedInteger(field, node(i).regionCode, 10));
        run.finish();
    }
    {
        ValueRun run(out, 30);
        for (long long i = 0; i < np; ++i)
            run.add(field, formatSeparatedInteger(field, (long long)node(i).neighbours.size() + 1, 6));
        run.finish();
    }
    for (long long i = 0; i < np; ++i) {
        out.append(field, formatSeparatedInteger(field, i + 1, 6));
        for (const int n : node(i).neighbours)
            out.append(field, formatSeparatedInteger(field, n - 2, 6));
        out += kEol;
    }

    // Only a two-dimensional problem can use integral regions.
    static const QList<SIntegral> none;
    writeIntegralRegions(out, dimension == 2 ? comp.INTEGRAL1 : none, "Integral1", lineRegionEntry);
    writeIntegralRegions(out, dimension == 2 ? comp.INTEGRAL2 : none, "Integral2", areaRegionEntry);

    for (int section = 0; section < 5; ++section) {
        const std::vector<unsigned char>& code = comp.code[size_t(section)];
        out += line(integer((long long)code.size()) + " /" + comp.sectionLabels[size_t(section)].toUtf8());
        ValueRun run(out, 20);
        for (const unsigned char b : code)
            run.add(' ' + integer(b).rightJustified(3, '0'));
        run.finish();
    }

    // The reader expects triangles exactly for a two-dimensional problem.
    if (dimension == 2) {
        const std::vector<RCellTriangle>& triangles = src.mesh->triangles;
        out += line(integer((long long)triangles.size()) + " /Triangle information");
        for (const RCellTriangle& t : triangles) {
            for (const int v : t.vertices)
                out.append(field, formatSeparatedInteger(field, v - 2, 6));
            for (const int n : t.neighbours)
                out.append(field, formatSeparatedInteger(field, (long long)n + 1, 6));
            out += kEol;
        }
    }

    out += line(integer(s.thermoFlag) + ' ' + integer(s.transportFlag) + " /Chemical Property");
    if (s.thermoFlag != 0 && !src.chemistryBlock(out, s.transportFlag)) {
        error = QStringLiteral("the chemistry block could not be written");
        return false;
    }
    return true;
}

} // namespace

SolverDataSource solverDataSource(RMORVDocument& doc,
                                  std::function<bool(QByteArray& out, int withTransport)> chemistryBlock)
{
    SolverDataSource src;
    src.compiler = doc.compiler.get();
    src.mesh = doc.mesh.get();
    src.inputSets = &doc.inputData;
    src.currentInputSet = doc.inputDataIndex;
    src.adjustTimeStep = doc.adjustTimeStep;
    src.chemistryBlock = std::move(chemistryBlock);
    return src;
}

QStringList integralRegionsOutsideGrid(const RMORVCompile& compiler, const RTriangleMesh& mesh)
{
    QStringList bad;
    if (compiler.control->spaceDimension != 2)
        return bad;
    const long long nodeCount = (long long)mesh.gridPoints.size();
    const auto onGrid = [nodeCount](long long p) { return p >= kCorners && p < nodeCount; };
    for (const SIntegral& r : compiler.INTEGRAL1) {
        for (const int p : r.list) {
            if (!onGrid(p < 0 ? -(long long)p : p)) {
                bad.append(r.name);
                break;
            }
        }
    }
    for (const SIntegral& r : compiler.INTEGRAL2) {
        bool ok = r.list.size() % 3 == 0;
        for (const int p : r.list)
            ok = ok && onGrid(p);
        if (!ok)
            bad.append(r.name);
    }
    return bad;
}

QByteArray solverDataFileText(const SolverDataSource& source, QString* error)
{
    QByteArray out;
    QString reason;
    bool ok = false;
    try {
        ok = buildText(source, out, reason);
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
    } catch (...) {
        reason = QStringLiteral("unexpected error");
    }
    if (source.compiler->control->spaceDimension == 0) {
        source.mesh->gridPoints.clear();
        source.mesh->triangles.clear();
    }
    if (!ok) {
        if (error)
            *error = reason;
        return {};
    }
    return out;
}

int writeSolverDataFile(const SolverDataSource& source, const QString& path)
{
    QFile::remove(path);
    const QByteArray text = solverDataFileText(source);
    if (text.isEmpty())
        return SolverDataWriteError;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return SolverDataNotCreated;
    if (file.write(text) != text.size() || !file.commit())
        return SolverDataWriteError;
    return SolverDataWritten;
}

QString solverDataFilePath(const RMORVDocument& doc)
{
    return doc.documentFolder + QFileInfo(doc.documentFileName).completeBaseName() + QStringLiteral(".MVAT$");
}

int TempFileOut(RMORVDocument& doc, const QString& path)
{
    std::function<bool(QByteArray&, int)> block;
    if (const std::shared_ptr<RSSChem> chemistry = doc.chemistry) {
        block = [chemistry](QByteArray& out, int withTransport) {
            const int status = chemistry->GetCKStatus();
            // Only an interpreted data set has a block, and transport fits only after fitting.
            if ((status != 1 && status != 2) || (withTransport != 0 && !chemistry->hasTransportFits()))
                return false;
            std::ostringstream text;
            chemistry->CKGlobalSave(text, withTransport, kEol);
            out += QByteArray::fromStdString(text.str());
            return bool(text);
        };
    }
    return writeSolverDataFile(solverDataSource(doc, std::move(block)), path);
}
