// The version 3 document file writer.
#include "document/RCommaText.h"
#include "document/RMORVDocument.h"
#include "document/RMessages.h"
#include "document/RNumberText.h"
#include "document/RUtilities.h"

#include <QBuffer>
#include <QSaveFile>

#include <charconv>

namespace {

// Writes the file's lines to a device in chunks of UTF-8, so the text of a large mesh is never
// held whole in memory.
class Out {
public:
    explicit Out(QIODevice& device) : m_device(device) { m_chunk.reserve(kChunk + 4096); }
    void line(const QString& text)
    {
        m_chunk += text.toUtf8();
        endLine();
    }
    // ASCII bytes of the line being written.
    void append(const char* bytes, int length) { m_chunk.append(bytes, length); }
    void endLine()
    {
        m_chunk += "\r\n";
        if (m_chunk.size() >= kChunk)
            flush();
    }
    void record(const char* keyword, const QString& value)
    {
        line(QLatin1String(keyword) + u' ' + value);
    }
    void block(const char* keyword, const QStringList& lines)
    {
        line(QLatin1String(keyword));
        for (const QString& l : lines)
            line(l);
        line(QStringLiteral("$END"));
    }
    // Whether every byte reached the device.
    bool finish()
    {
        flush();
        return m_ok;
    }

private:
    static constexpr int kChunk = 1 << 20;
    void flush()
    {
        if (m_ok && !m_chunk.isEmpty() && m_device.write(m_chunk) != m_chunk.size())
            m_ok = false;
        m_chunk.resize(0);
    }
    QIODevice& m_device;
    QByteArray m_chunk;
    bool m_ok = true;
};

QString real(double v) { return formatReal22(v); }

// Symbol lines: comma text of name[, attribute], comment, one per symbol of the count.
QStringList symbolLines(int count, const QStringList& names, const QList<int>* attributes,
                        const QStringList& comments)
{
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        QStringList fields{names.value(i)};
        if (attributes)
            fields << QString::number(attributes->value(i));
        fields << comments.value(i);
        lines << commaTextJoin(fields);
    }
    return lines;
}

QStringList inputDataLines(const RMORVDocument& doc, int inputCount)
{
    QStringList lines;
    lines << QStringLiteral("%1,%2").arg(doc.inputData.size()).arg(doc.inputDataIndex);
    for (const SInputData& set : doc.inputData)
        lines << set.label;
    for (int k = 0; k < inputCount; ++k) {
        QString values;
        for (const SInputData& set : doc.inputData)
            values += fixedReal22(set.values.value(k));
        lines << values;
    }
    return lines;
}

QString pointLine(const RPoint& p)
{
    QString s = fixedReal22(p.x) + fixedReal22(p.y) + fixedInt(p.region, 12)
                + fixedInt(p.group, 6) + fixedInt(int(p.connections.size()), 6);
    for (int c : p.connections)
        s += fixedInt(c, 6);
    return s;
}

QString segmentLine(const RSegment& g)
{
    return fixedInt(g.startPoint, 6) + fixedInt(g.endPoint, 6) + fixedReal22(g.handleX)
           + fixedReal22(g.handleY) + fixedReal22(g.radius) + fixedInt(g.division, 6)
           + fixedInt(g.type, 6) + fixedInt(g.region, 12) + fixedReal22(g.bias) + u','
           + commaTextField(g.label);
}

QString outlineLine(const ROutline& o)
{
    QString s = fixedInt(o.region, 12) + fixedReal22(o.labelX) + fixedReal22(o.labelY)
                + fixedReal22(o.area) + fixedInt(int(o.segments.size()), 6);
    for (int g : o.segments)
        s += fixedInt(g, 6);
    return s + u',' + commaTextField(o.label);
}

void writeGridPoint(Out& out, const RGridPoint& n)
{
    char buffer[48];
    out.append(buffer, writeFixedReal22(buffer, n.x));
    out.append(buffer, writeFixedReal22(buffer, n.y));
    out.append(buffer, writeFixedInt(buffer, n.sourcePoint, 6));
    out.append(buffer, writeFixedInt(buffer, n.nodeKind, 6));
    out.append(buffer, writeFixedInt(buffer, n.regionCode, 12));
    out.append(buffer, writeFixedReal22(buffer, n.normalX));
    out.append(buffer, writeFixedReal22(buffer, n.normalY));
    for (int k : n.neighbours)
        out.append(buffer, writeFixedInt(buffer, k, 6));
    out.endLine();
}

void writeTriangle(Out& out, const RCellTriangle& t)
{
    char buffer[48];
    for (const auto* list : {&t.vertices, &t.oppVertex, &t.neighbours, &t.boundarySegments})
        for (int v : *list)
            out.append(buffer, writeFixedInt(buffer, v, 6));
    out.append(buffer, writeFixedInt(buffer, t.orientationTag, 3));
    out.append(buffer, writeFixedInt(buffer, t.originTag, 3));
    out.append(buffer, writeFixedReal22(buffer, t.quality));
    out.append(buffer, writeFixedInt(buffer, t.splitEdge, 3));
    out.endLine();
}

void writeIntegrals(Out& out, const char* keyword, const QList<SIntegral>& regions)
{
    out.line(QLatin1String(keyword));
    out.line(QString::number(regions.size()));
    for (const SIntegral& r : regions) {
        out.line(r.name);
        out.line(QString::number(r.list.size()));
        char buffer[16];
        for (int v : r.list) {
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
            out.append(buffer, int(end - buffer));
            out.endLine();
        }
    }
    out.line(QStringLiteral("$END"));
}

bool endsBlock(const QString& line) { return trimBlanks(line) == QLatin1String("$END"); }

}

QString RMORVDocument::lineThatEndsBlock() const
{
    static const char* const sectionNames[5] = {"ASSUME", "SUB VARIABLE", "INITIAL", "EQUATION",
                                                "TERMINATE"};
    for (int s = 0; s < 5; ++s)
        for (const QString& line : scripts[s])
            if (endsBlock(line))
                return QStringLiteral("the %1 script").arg(QLatin1String(sectionNames[s]));
    for (const QString& line : symbolDefinition)
        if (endsBlock(line))
            return QStringLiteral("the symbol definitions");
    for (const SInputData& set : inputData)
        if (endsBlock(set.label))
            return QStringLiteral("the input data set labels");
    return QString();
}

QByteArray RMORVDocument::documentText() const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeDocument(buffer);
    return bytes;
}

bool RMORVDocument::writeDocument(QIODevice& device) const
{
    const SControlData& c = *compiler->control;
    const SSymbolTable& s = *compiler->symbols;
    if (device.write("\xEF\xBB\xBF", 3) != 3)
        return false;
    Out out(device);
    out.line(QStringLiteral("$MORV %1").arg(programVersion(), 8, 10, QLatin1Char('0')));
    out.record("$RESTART", QString::number(c.RESTART));
    out.record("$MESHTYPE", QString::number(meshType));
    out.record("$MESHANGLE", real(meshAngle));
    out.record("$METHOD", QString::number(c.METHOD));
    out.record("$LMAX", QString::number(c.LMAX));
    out.record("$IPRT", QString::number(c.IPRT));
    out.record("$IPRN", QString::number(c.IPRN));
    out.record("$PARMX", QString::number(c.PARMX) + u',' + s.xName);
    out.record("$PARMY", QString::number(c.PARMY) + u',' + s.yName);
    out.record("$PARMT", QString::number(c.PARMT) + u',' + s.tName);
    out.record("$DELT", real(c.DELT));
    if (adjustTimeStep)
        out.record("$AUTODELT", QString::number(c.AUTODELT));
    out.record("$TSTART", real(c.TSTART));
    out.record("$TEND", real(c.TEND));
    out.record("$TGRID_A", real(s.TGRID_A));
    if (s.outputTimeCount > 0) {
        QStringList times;
        for (int i = 0; i < s.outputTimeCount; ++i)
            times << real(s.TGRID_B.value(i));
        out.block("$TGRID_B", times);
    }
    out.record("$DELP", real(c.DELP));
    out.record("$OMEGA", real(c.OMEGA));
    out.record("$ALPHA", real(c.ALPHA));
    out.record("$EPS", real(c.EPS));
    out.record("$EPSDIF", real(c.EPSDIF));
    out.record("$MISES", QString::number(c.MISES));
    out.record("$IFIL", QString::number(c.IFIL));
    out.record("$FLOATINGERROR", QString::number(c.FLOATINGERROR));
    out.record("$FILEOUTTYPE", QString::number(c.FILEOUTTYPE));
    out.block("$SPECIES", s.speciesNames.mid(0, s.speciesCount));
    if (c.variableCount > 0)
        out.block("$VARATTR", symbolLines(c.variableCount, s.variableNames,
                                          &s.variableAttributes, s.variableComments));
    if (c.subVariableCount > 0)
        out.block("$SUBVATTR", symbolLines(c.subVariableCount, s.subVariableNames,
                                           &s.subVariableAttributes, s.subVariableComments));
    if (c.inputCount > 0) {
        out.block("$INPATTR", symbolLines(c.inputCount, s.inputNames, nullptr, s.inputComments));
        out.block("$INPDATA", inputDataLines(*this, c.inputCount));
    }
    if (c.temporaryCount > 0)
        out.block("$TEMPATTR",
                  symbolLines(c.temporaryCount, s.temporaryNames, nullptr, s.temporaryComments));
    if (s.constantCount > 0) {
        QStringList lines;
        for (int i = 0; i < s.constantCount; ++i)
            lines << commaTextJoin({s.constantNames.value(i),
                                    formatGeneral15(s.constantValues.value(i)),
                                    s.constantComments.value(i)});
        out.block("$LABELEDCONSTANT", lines);
    }
    out.block("$DOMAIN", scripts[Equation]);
    out.block("$INITIAL", scripts[Initial]);
    out.block("$SUBVAR", scripts[SubVariable]);
    out.block("$ASSUME", scripts[Assume]);
    out.block("$TERMINATE", scripts[Terminate]);
    out.block("$DEFINESYMBOL", symbolDefinition);

    const RTriangleMesh& m = *mesh;
    auto writeList = [&out](const char* keyword, const auto& records, auto format) {
        if (records.empty())
            return;
        out.line(QLatin1String(keyword));
        for (const auto& r : records)
            out.line(format(r));
        out.line(QStringLiteral("$END"));
    };
    writeList("$SEG_POINT", m.points, pointLine);
    writeList("$SEG_LINE", m.segments, segmentLine);
    writeList("$SEG_PATH", m.outlines, outlineLine);
    if (m.meshState >= 2) {
        out.line(QStringLiteral("$GRID_POINT"));
        for (const RGridPoint& n : m.gridPoints)
            writeGridPoint(out, n);
        out.line(QStringLiteral("$END"));
        out.line(QStringLiteral("$CELL_TRIANGLE"));
        for (const RCellTriangle& t : m.triangles)
            writeTriangle(out, t);
        out.line(QStringLiteral("$END"));
        if (!compiler->INTEGRAL1.isEmpty())
            writeIntegrals(out, "$INTEGRAL1", compiler->INTEGRAL1);
        if (!compiler->INTEGRAL2.isEmpty())
            writeIntegrals(out, "$INTEGRAL2", compiler->INTEGRAL2);
    }
    return out.finish();
}

int RMORVDocument::savefile(const QString& path) const
{
    const QString section = lineThatEndsBlock();
    if (!section.isEmpty()) {
        postMessage(MessageKind::Error,
                    QStringLiteral("A line of %1 reads \"$END\" and would end its block when "
                                   "the file is read again. The document was not saved.")
                        .arg(section));
        return 2;
    }
    // A file held by another holder, or read-only, is not replaced.
    if (!RExcrusiveAccess::CheckFile(path))
        return 1;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    if (!writeDocument(file)) {
        file.cancelWriting();
        return 1;
    }
    return file.commit() ? 0 : 1;
}
