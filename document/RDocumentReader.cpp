// The document file reader: version dispatch and the version 3 records. Older versions are
// converted in RConvertV2.cpp and RConvertV16.cpp.
#include "document/RAnsiCodePage.h"
#include "document/RCommaText.h"
#include "document/RMessages.h"
#include "document/RMORVDocument.h"
#include "document/RNumberText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cstdint>
#include <cstring>
#include <exception>

namespace {

constexpr int ReadError = 99;

// Field i of a split line as a number; false when missing or no valid number.
bool intField(const QStringList& f, qsizetype i, int& v) { return i < f.size() && parseInt(f[i], v); }
bool realField(const QStringList& f, qsizetype i, double& v) { return i < f.size() && parseReal(f[i], v); }
bool intField(const FieldViews& f, qsizetype i, int& v) { return i < f.size() && parseInt(f[i], v); }
bool realField(const FieldViews& f, qsizetype i, double& v) { return i < f.size() && parseReal(f[i], v); }

// The fields of a record line as views. A line with double quotes is split by commaSplit
// into `owned`, which the views then point into.
const FieldViews& recordFields(const QString& line, QStringList& owned, FieldViews& views)
{
    if (!commaSplitViews(line, views)) {
        owned = commaSplit(line);
        for (const QString& field : owned)
            views.append(QStringView(field));
    }
    return views;
}

bool readSymbols(const QStringList& lines, bool withAttribute, QStringList& names,
                 QList<int>* attributes, QStringList& comments, int& twoGrid)
{
    names.clear();
    comments.clear();
    if (attributes)
        attributes->clear();
    for (const QString& line : lines) {
        const QStringList f = commaSplit(line);
        const qsizetype commentField = withAttribute ? 2 : 1;
        if (f.size() <= commentField)
            return false;
        names << trimBlanks(f[0]);
        if (withAttribute) {
            int attribute = 0;
            if (!intField(f, 1, attribute))
                return false;
            *attributes << attribute;
            if (attribute != 0)
                twoGrid = 1;
        }
        comments << f[commentField];
    }
    return true;
}

bool readInputData(const QStringList& lines, int inputCount, RMORVDocument& doc)
{
    if (lines.isEmpty())
        return false;
    const QStringList head = commaSplit(lines[0]);
    int sets = 0, index = 0;
    if (!intField(head, 0, sets) || !intField(head, 1, index) || sets < 0)
        return false;
    if (lines.size() < 1 + qsizetype(sets) + inputCount)
        return false;
    qsizetype blockChars = 0;
    for (const QString& line : lines)
        blockChars += line.size();
    if (!inputTableFits(sets, inputCount, blockChars))
        return false;
    doc.inputData.clear();
    for (int j = 0; j < sets; ++j)
        doc.inputData.append(SInputData{QList<double>(inputCount, 0.0), lines[1 + j]});
    doc.inputDataIndex = index;
    for (int k = 0; k < inputCount; ++k) {
        const QStringList f = commaSplit(lines[1 + sets + k]);
        if (f.size() > sets)
            return false;
        for (qsizetype j = 0; j < f.size(); ++j)
            if (!parseReal(f[j], doc.inputData[j].values[k]))
                return false;
    }
    return true;
}

template <typename Fields>
bool readIntList(const Fields& f, qsizetype first, int count, std::vector<int>& out)
{
    if (count < 0 || f.size() < first + count)
        return false;
    out.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        if (!parseInt(f[first + i], out[static_cast<std::size_t>(i)]))
            return false;
    return true;
}

bool readPoints(const QStringList& lines, RTriangleMesh& m)
{
    std::vector<RPoint> points(static_cast<std::size_t>(lines.size()));
    int maxGroup = -1;
    QStringList owned;
    FieldViews views;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const FieldViews& f = recordFields(lines[i], owned, views);
        RPoint& p = points[static_cast<std::size_t>(i)];
        int count = 0;
        if (!realField(f, 0, p.x) || !realField(f, 1, p.y) || !intField(f, 2, p.region)
            || !intField(f, 3, p.group) || !intField(f, 4, count)
            || !readIntList(f, 5, count, p.connections))
            return false;
        maxGroup = std::max(maxGroup, p.group);
    }
    m.points = std::move(points);
    m.groupCount = maxGroup + 1;
    return true;
}

bool readSegments(const QStringList& lines, RTriangleMesh& m)
{
    std::vector<RSegment> segments(static_cast<std::size_t>(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList f = commaSplit(lines[i]);
        RSegment& g = segments[static_cast<std::size_t>(i)];
        if (!intField(f, 0, g.startPoint) || !intField(f, 1, g.endPoint)
            || !realField(f, 2, g.handleX) || !realField(f, 3, g.handleY)
            || !realField(f, 4, g.radius) || !intField(f, 5, g.division)
            || !intField(f, 6, g.type) || !intField(f, 7, g.region) || !realField(f, 8, g.bias))
            return false;
        if (f.size() >= 10)
            g.label = f[9];
    }
    m.segments = std::move(segments);
    return true;
}

bool readOutlines(const QStringList& lines, RTriangleMesh& m)
{
    std::vector<ROutline> outlines(static_cast<std::size_t>(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList f = commaSplit(lines[i]);
        ROutline& o = outlines[static_cast<std::size_t>(i)];
        int count = 0;
        if (!intField(f, 0, o.region) || !realField(f, 1, o.labelX) || !realField(f, 2, o.labelY)
            || !realField(f, 3, o.area) || !intField(f, 4, count)
            || !readIntList(f, 5, count, o.segments))
            return false;
        if (f.size() > 5 + count)
            o.label = f[5 + count];
    }
    m.outlines = std::move(outlines);
    return true;
}

bool readGridPoints(const QStringList& lines, RTriangleMesh& m)
{
    std::vector<RGridPoint> nodes(static_cast<std::size_t>(lines.size()));
    QStringList owned;
    FieldViews views;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const FieldViews& f = recordFields(lines[i], owned, views);
        RGridPoint& n = nodes[static_cast<std::size_t>(i)];
        if (!realField(f, 0, n.x) || !realField(f, 1, n.y) || !intField(f, 2, n.sourcePoint)
            || !intField(f, 3, n.nodeKind) || !intField(f, 4, n.regionCode)
            || !realField(f, 5, n.normalX) || !realField(f, 6, n.normalY)
            || !readIntList(f, 7, int(f.size() - 7), n.neighbours))
            return false;
    }
    m.gridPoints = std::move(nodes);
    if (!lines.isEmpty())
        m.meshState = 2;
    return true;
}

bool readTriangles(const QStringList& lines, RTriangleMesh& m)
{
    std::vector<RCellTriangle> triangles(static_cast<std::size_t>(lines.size()));
    QStringList owned;
    FieldViews views;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const FieldViews& f = recordFields(lines[i], owned, views);
        RCellTriangle& t = triangles[static_cast<std::size_t>(i)];
        for (int k = 0; k < 3; ++k)
            if (!intField(f, k, t.vertices[k]) || !intField(f, 3 + k, t.oppVertex[k])
                || !intField(f, 6 + k, t.neighbours[k])
                || !intField(f, 9 + k, t.boundarySegments[k]))
                return false;
        if (!intField(f, 12, t.orientationTag) || !intField(f, 13, t.originTag)
            || !realField(f, 14, t.quality) || !intField(f, 15, t.splitEdge))
            return false;
    }
    m.triangles = std::move(triangles);
    if (!lines.isEmpty())
        m.meshState = 2;
    return true;
}

bool readIntegrals(const QStringList& lines, QList<SIntegral>& regions)
{
    int count = 0;
    if (lines.isEmpty() || !parseInt(lines[0], count) || count < 0)
        return false;
    QList<SIntegral> read;
    qsizetype at = 1;
    for (int r = 0; r < count; ++r) {
        int entries = 0;
        if (at + 1 >= lines.size() || !parseInt(lines[at + 1], entries) || entries < 0
            || lines.size() < at + 2 + entries)
            return false;
        SIntegral region{lines[at], {}};
        region.list.resize(entries);
        for (int e = 0; e < entries; ++e)
            if (!parseInt(lines[at + 2 + e], region.list[e]))
                return false;
        read.append(region);
        at += entries + 2;
    }
    regions = read;
    return true;
}

// Every index is below its list's size, or -1 where that means none.
bool indicesExist(const std::vector<int>& indices, std::size_t size, bool noneAllowed)
{
    for (int k : indices)
        if (k >= static_cast<int>(size) || (k < 0 && !(noneAllowed && k == -1)))
            return false;
    return true;
}
bool indicesExist(const std::array<int, 3>& indices, std::size_t size, bool noneAllowed)
{
    return indicesExist(std::vector<int>(indices.begin(), indices.end()), size, noneAllowed);
}

// Reading the first record's value as the version number.
bool versionValue(const QStringList& lines, int& version)
{
    return !lines.isEmpty() && parseInt(lines[0], version);
}

}

template <class Unit>
void RDocumentLineReader::findLines(const Unit* data, qsizetype n)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (data[i] == u'\r' || data[i] == u'\n') {
            starts.push_back(start);
            lengths.push_back(i - start);
            if (data[i] == u'\r' && i + 1 < n && data[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n) {
        starts.push_back(start);
        lengths.push_back(n - start);
    }
}

template <>
void RDocumentLineReader::findLines(const char* data, qsizetype n)
{
    // The bytes are searched for line ends a block at a time (memchr), not one by one.
    auto find = [&](char c, qsizetype from, qsizetype to) {
        const void* at = std::memchr(data + from, c, std::size_t(to - from));
        return at ? static_cast<const char*>(at) - data : to;
    };
    qsizetype start = 0;
    while (start < n) {
        const qsizetype lf = find('\n', start, n);
        const qsizetype cr = find('\r', start, lf);
        qsizetype end = lf, next = lf + 1;
        if (cr < lf) {
            end = cr;
            next = cr + 1 < n && data[cr + 1] == '\n' ? cr + 2 : cr + 1;
        } else if (lf == n) {
            next = n;
        }
        starts.push_back(start);
        lengths.push_back(end - start);
        start = next;
    }
}

RDocumentLineReader::RDocumentLineReader(const QString& decoded) : text(decoded)
{
    findLines(text.constData(), text.size());
    for (qsizetype length : lengths)
        chars += length;
}

RDocumentLineReader RDocumentLineReader::fromValidUtf8(const QByteArray& file, qsizetype from)
{
    RDocumentLineReader reader;
    reader.bytes = file;
    reader.utf8 = true;
    reader.textStart = from;
    reader.findLines(reader.bytes.constData() + from, reader.bytes.size() - from);
    for (qsizetype& start : reader.starts)
        start += from;
    // Eight bytes at a time: any byte with its top bit set is not ASCII.
    const char* b = reader.bytes.constData();
    const qsizetype n = reader.bytes.size();
    std::uint64_t high = 0;
    qsizetype i = from;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, b + i, 8);
        high |= word;
    }
    for (; i < n; ++i)
        high |= static_cast<unsigned char>(b[i]);
    reader.ascii = (high & 0x8080808080808080ULL) == 0;
    reader.chars = -1; // counted when asked for
    return reader;
}

qsizetype RDocumentLineReader::textSize() const
{
    if (chars < 0) {
        // A character takes one UTF-16 unit for each byte that starts it, two when it lies
        // beyond the basic plane (a lead byte from 0xF0 on); line ends are the CR and LF bytes.
        qsizetype units = 0;
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
        for (qsizetype i = textStart, n = bytes.size(); i < n; ++i)
            units += ((b[i] & 0xC0) != 0x80) + (b[i] >= 0xF0) - (b[i] == '\r' || b[i] == '\n');
        // A mark at the very start is dropped when the text is decoded.
        if (QByteArrayView(bytes).sliced(textStart).startsWith("\xEF\xBB\xBF"))
            --units;
        chars = units;
    }
    return chars;
}

QString RDocumentLineReader::line(qsizetype i) const
{
    const auto at = std::size_t(i);
    if (!utf8)
        return text.mid(starts[at], lengths[at]);
    const QByteArrayView view(bytes.constData() + starts[at], lengths[at]);
    // Plain ASCII, as the numbers of a mesh are, widens to the same string by the far simpler
    // conversion.
    if (ascii)
        return QString::fromLatin1(view);
    // Decoding the whole text drops a byte-order mark at its very start only; elsewhere the
    // mark is a character of its line.
    if (starts[at] == textStart)
        return QString::fromUtf8(view);
    QStringDecoder keepMark(QStringDecoder::Utf8, QStringConverter::Flag::Stateless
                                                      | QStringConverter::Flag::ConvertInitialBom);
    return keepMark(view);
}

QString RDocumentLineReader::readLine()
{
    return atEnd() ? QString() : line(next++);
}

void RDocumentLineReader::skipUntil(QChar c)
{
    while (!atEnd()) {
        const QString current = line(next);
        const qsizetype at = current.indexOf(c);
        if (at >= 0) {
            // The rest of the line from c on, in units of the text kept.
            const qsizetype skipped = utf8 ? current.first(at).toUtf8().size() : at;
            starts[std::size_t(next)] += skipped;
            lengths[std::size_t(next)] -= skipped;
            return;
        }
        ++next;
    }
}

int RMORVDocument::read1block(RDocumentLineReader& reader, QString& keyword, QStringList& lines)
{
    if (reader.atEnd())
        return -1;
    const QStringList first = blankSplit(trimBlanks(reader.readLine()));
    if (first.isEmpty())
        return ReadError;
    keyword = first[0];
    if (first.size() >= 2) {
        lines = QStringList{first[1]};
        return 0;
    }
    lines.clear();
    while (!reader.atEnd()) {
        const QString line = reader.readLine();
        if (trimBlanksView(line) == QLatin1String("$END"))
            break;
        lines.append(trimRightBlanks(line));
    }
    return 0;
}

int RMORVDocument::readVersion3(RDocumentLineReader& reader)
{
    gReset();
    symbolDefinition.clear();
    compiler->control->twoGrid = 0;
    QString keyword;
    QStringList lines;
    for (;;) {
        const int r = read1block(reader, keyword, lines);
        if (r == -1)
            return 0;
        if (r != 0 || readRecord3(keyword, lines) != 0)
            return ReadError;
    }
}

int RMORVDocument::readRecord3(const QString& keyword, const QStringList& lines)
{
    SControlData& c = *compiler->control;
    SSymbolTable& s = *compiler->symbols;

    struct IntRecord { const char* keyword; int SControlData::*field; };
    static const IntRecord intRecords[] = {
        {"$RESTART", &SControlData::RESTART}, {"$LMAX", &SControlData::LMAX},
        {"$IPRT", &SControlData::IPRT}, {"$IPRN", &SControlData::IPRN},
        {"$MISES", &SControlData::MISES}, {"$IFIL", &SControlData::IFIL},
        {"$METHOD", &SControlData::METHOD}, {"$FLOATINGERROR", &SControlData::FLOATINGERROR},
        {"$FILEOUTTYPE", &SControlData::FILEOUTTYPE}};
    struct RealRecord { const char* keyword; double SControlData::*field; };
    static const RealRecord realRecords[] = {
        {"$DELT", &SControlData::DELT}, {"$TSTART", &SControlData::TSTART},
        {"$TEND", &SControlData::TEND}, {"$DELP", &SControlData::DELP},
        {"$OMEGA", &SControlData::OMEGA}, {"$ALPHA", &SControlData::ALPHA},
        {"$EPS", &SControlData::EPS}, {"$EPSDIF", &SControlData::EPSDIF}};
    struct ScriptRecord { const char* keyword; Section section; };
    static const ScriptRecord scriptRecords[] = {
        {"$DOMAIN", Equation}, {"$INITIAL", Initial}, {"$SUBVAR", SubVariable},
        {"$ASSUME", Assume}, {"$TERMINATE", Terminate}};

    const QString value = lines.value(0);
    const int n = int(lines.size());
    bool ok = true;

    for (const IntRecord& rec : intRecords)
        if (keyword == QLatin1String(rec.keyword))
            return !lines.isEmpty() && parseInt(value, c.*rec.field) ? 0 : ReadError;
    for (const RealRecord& rec : realRecords)
        if (keyword == QLatin1String(rec.keyword))
            return !lines.isEmpty() && parseReal(value, c.*rec.field) ? 0 : ReadError;
    for (const ScriptRecord& rec : scriptRecords)
        if (keyword == QLatin1String(rec.keyword)) {
            scripts[rec.section] = lines;
            return 0;
        }

    if (keyword == QLatin1String("$AUTODELT")) {
        ok = !lines.isEmpty() && parseInt(value, c.AUTODELT);
        adjustTimeStep = true;
    } else if (keyword == QLatin1String("$MESHTYPE")) {
        ok = !lines.isEmpty() && parseInt(value, meshType);
    } else if (keyword == QLatin1String("$MESHANGLE")) {
        ok = !lines.isEmpty() && parseReal(value, meshAngle);
    } else if (keyword == QLatin1String("$TGRID_A")) {
        ok = !lines.isEmpty() && parseReal(value, s.TGRID_A);
    } else if (keyword == QLatin1String("$PARMX") || keyword == QLatin1String("$PARMY")
               || keyword == QLatin1String("$PARMT")) {
        const QStringList f = commaSplit(value);
        const QChar which = keyword[5];
        int& flag = which == u'X' ? c.PARMX : which == u'Y' ? c.PARMY : c.PARMT;
        QString& name = which == u'X' ? s.xName : which == u'Y' ? s.yName : s.tName;
        ok = f.size() >= 2 && parseInt(f[0], flag);
        if (ok)
            name = trimBlanks(f[1]);
    } else if (keyword == QLatin1String("$TGRID_B")) {
        s.TGRID_B = QList<double>(n, 0.0);
        s.outputTimeCount = n;
        for (int i = 0; i < n && ok; ++i)
            ok = parseReal(lines[i], s.TGRID_B[i]);
    } else if (keyword == QLatin1String("$SPECIES")) {
        s.speciesNames.clear();
        s.speciesCount = n;
        for (const QString& line : lines) {
            const QStringList f = commaSplit(line);
            if (f.isEmpty()) {
                ok = false;
                break;
            }
            s.speciesNames << trimBlanks(f[0]);
        }
    } else if (keyword == QLatin1String("$VARATTR")) {
        c.variableCount = n;
        ok = readSymbols(lines, true, s.variableNames, &s.variableAttributes,
                         s.variableComments, c.twoGrid);
    } else if (keyword == QLatin1String("$SUBVATTR")) {
        c.subVariableCount = n;
        ok = readSymbols(lines, true, s.subVariableNames, &s.subVariableAttributes,
                         s.subVariableComments, c.twoGrid);
    } else if (keyword == QLatin1String("$INPATTR")) {
        c.inputCount = n;
        ok = readSymbols(lines, false, s.inputNames, nullptr, s.inputComments, c.twoGrid);
    } else if (keyword == QLatin1String("$TEMPATTR")) {
        c.temporaryCount = n;
        ok = readSymbols(lines, false, s.temporaryNames, nullptr, s.temporaryComments,
                         c.twoGrid);
    } else if (keyword == QLatin1String("$LABELEDCONSTANT")) {
        s.constantCount = n;
        s.constantNames.clear();
        s.constantValues.clear();
        s.constantComments.clear();
        for (const QString& line : lines) {
            const QStringList f = commaSplit(line);
            double v = 0.0;
            if (f.size() < 3 || !parseReal(f[1], v)) {
                ok = false;
                break;
            }
            s.constantNames << trimBlanks(f[0]);
            s.constantValues << v;
            s.constantComments << f[2];
        }
    } else if (keyword == QLatin1String("$INPDATA")) {
        ok = readInputData(lines, c.inputCount, *this);
    } else if (keyword == QLatin1String("$DEFINESYMBOL")) {
        symbolDefinition = lines;
    } else if (keyword == QLatin1String("$SEG_POINT")) {
        ok = readPoints(lines, *mesh);
    } else if (keyword == QLatin1String("$SEG_LINE")) {
        ok = readSegments(lines, *mesh);
    } else if (keyword == QLatin1String("$SEG_PATH")) {
        ok = readOutlines(lines, *mesh);
    } else if (keyword == QLatin1String("$GRID_POINT")) {
        ok = readGridPoints(lines, *mesh);
    } else if (keyword == QLatin1String("$CELL_TRIANGLE")) {
        ok = readTriangles(lines, *mesh);
    } else if (keyword == QLatin1String("$INTEGRAL1")) {
        ok = readIntegrals(lines, compiler->INTEGRAL1);
    } else if (keyword == QLatin1String("$INTEGRAL2")) {
        ok = readIntegrals(lines, compiler->INTEGRAL2);
    }
    // Any other keyword ("$GRAPH", records of later versions) is skipped with its value.
    return ok ? 0 : ReadError;
}

// Makes a freshly read document whole, or refuses it: every input data set holds exactly
// input-count values (0.0 where the file gives none) and there is at least one set; every
// index into the figure and the mesh names an existing element.
int RMORVDocument::checkLoaded()
{
    const int inputCount = compiler->control->inputCount;
    if (inputData.isEmpty())
        inputData.append(SInputData{});
    for (SInputData& set : inputData)
        set.values.resize(inputCount, 0.0);

    const RTriangleMesh& m = *mesh;
    const std::size_t points = m.points.size(), segments = m.segments.size(),
                      nodes = m.gridPoints.size(), triangles = m.triangles.size();
    for (const RPoint& p : m.points)
        if (!indicesExist(p.connections, segments, false))
            return ReadError;
    for (const RSegment& g : m.segments)
        if (!indicesExist(std::vector<int>{g.startPoint, g.endPoint}, points, false))
            return ReadError;
    for (const ROutline& o : m.outlines)
        if (!indicesExist(o.segments, segments, false))
            return ReadError;
    // A node list must at least hold the three corners of the enclosing triangle.
    if (nodes == 1 || nodes == 2)
        return ReadError;
    for (const RGridPoint& n : m.gridPoints)
        if (!indicesExist(n.neighbours, nodes, false))
            return ReadError;
    for (const RCellTriangle& t : m.triangles)
        if (!indicesExist(t.vertices, nodes, false) || !indicesExist(t.oppVertex, nodes, true)
            || !indicesExist(t.neighbours, triangles, true)
            || !indicesExist(t.boundarySegments, segments, true))
            return ReadError;
    return 0;
}

void RMORVDocument::takeContentFrom(RMORVDocument& other)
{
    scripts = std::move(other.scripts);
    symbolDefinition = std::move(other.symbolDefinition);
    compiler = std::move(other.compiler);
    mesh = std::move(other.mesh);
    inputData = std::move(other.inputData);
    inputDataIndex = other.inputDataIndex;
    meshType = other.meshType;
    meshAngle = other.meshAngle;
    adjustTimeStep = other.adjustTimeStep;
    divisionPitch = other.divisionPitch;
    meshCheck1D = other.meshCheck1D;
    compileState = other.compileState;
    // The chemistry data set belongs to the document it was prepared for.
    chemistry.reset();
}

int RMORVDocument::loadfile(const QString& path)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QString fileName = info.fileName();
    if (!QDir(folder).exists())
        QDir().mkdir(folder);
    QDir::setCurrent(folder);

    // A damaged file may ask for more memory than there is: the load fails with 99 and this
    // document stays as it was.
    try {
        return loadInto(info, fileName);
    } catch (const std::exception&) {
        return ReadError;
    }
}

int RMORVDocument::loadInto(const QFileInfo& info, const QString& fileName)
{
    RMORVDocument fresh;
    int result = 0;
    // Told only once the document has been taken over.
    QString completion;
    bool replacedBytes = false;
    if (fileName != EmptyDocumentName) {
        QFile file(info.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray bytes = file.readAll();
        file.close();
        // Only the exact extension ".MVS" marks a file written in the old ANSI code page. Valid
        // UTF-8 is read as it is, line by line; other bytes are decoded whole, with replacement
        // characters.
        RDocumentLineReader reader = [&] {
            if (fileName.endsWith(QLatin1String(".MVS")))
                return RDocumentLineReader(decodeAnsiText(bytes, QLocale::system(), &replacedBytes));
            const qsizetype from = QByteArrayView(bytes).startsWith("\xEF\xBB\xBF") ? 3 : 0;
            const QByteArrayView body = QByteArrayView(bytes).sliced(from);
            if (isValidUtf8(body))
                return RDocumentLineReader::fromValidUtf8(bytes, from);
            replacedBytes = true;
            return RDocumentLineReader(QString::fromUtf8(body));
        }();
        QString keyword;
        QStringList value;
        const int first = read1block(reader, keyword, value);
        if (first == -1)
            return 2;
        if (first != 0)
            return ReadError;
        int version = 0;
        if (keyword == QLatin1String("$VERSION")) {
            if (!versionValue(value, version))
                return ReadError;
            if (version < 10600)
                return 4;
            if (version >= 20000)
                return 5;
            result = fresh.readVersion16(reader);
            completion = QStringLiteral("V1.6 file conversion completed.");
        } else {
            if (keyword != QLatin1String("$MORV"))
                return 3;
            if (!versionValue(value, version))
                return ReadError;
            if (version < 2000202 || version >= 4000000)
                return 8;
            if (version < 3000000) {
                result = fresh.readVersion2(reader);
                completion = QStringLiteral("V2 file conversion completed.");
            } else {
                result = fresh.readVersion3(reader);
            }
        }
        if (result == 0)
            result = fresh.checkLoaded();
        if (result != 0)
            return result;
    }
    SControlData& c = *fresh.compiler->control;
    c.spaceDimension = c.PARMX + c.PARMY;
    fresh.meshCheck1D = fresh.mesh->meshState == 2 ? 0 : -1;
    takeContentFrom(fresh);
    // The replacement characters are what the next save writes, so the user hears of it now.
    if (replacedBytes)
        postMessage(MessageKind::Warning,
                    QStringLiteral("This document contains bytes that are not UTF-8. They are "
                                   "shown as replacement characters and will be saved so."));
    if (!completion.isEmpty())
        postMessage(MessageKind::Information, completion);
    return 0;
}
