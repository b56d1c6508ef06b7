#include "results/PlotDescriptionFile.h"

#include "document/RCommaText.h"
#include "document/RMORVCompile.h"
#include "document/RMessages.h"
#include "results/PlotImportScripts.h"
#include "results/TCrc32.h"

#include <QFile>
#include <QSaveFile>
#include <filesystem>
#include <system_error>

namespace {

const QString UnableToRead = QStringLiteral("Unable to read Kurvo file");
const QString UnableToWrite = QStringLiteral("Unable to write Kurvo file");
const QByteArray ByteOrderMark("\xEF\xBB\xBF");

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

// The file's lines as bytes without a leading byte-order mark, each without its line end (LF
// or CR LF). False when the file cannot be opened or read.
bool readRawLines(const QString& path, QList<QByteArray>& lines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    if (bytes.startsWith(ByteOrderMark))
        bytes.remove(0, ByteOrderMark.size());
    lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the line end of the last line opens no further line
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return true;
}

// The same lines as UTF-8 text.
bool readLines(const QString& path, QStringList& lines)
{
    QList<QByteArray> raw;
    if (!readRawLines(path, raw))
        return false;
    lines.clear();
    for (const QByteArray& line : raw)
        lines << QString::fromUtf8(line);
    return true;
}

QByteArray fileBytes(const QStringList& lines)
{
    QByteArray bytes = ByteOrderMark;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

bool isKeyword(const QString& line, const QString& keyword)
{
    return trimBlanks(line).toUpper() == keyword;
}

// A cell attribute as the plot file records it: 0 on grid 1, 1 on grid 2.
int gridAttribute(int attribute)
{
    return attribute != 0 ? 1 : 0;
}

QString attributeDigits(const QList<int>& attributes, int count)
{
    QString digits;
    for (int k = 0; k < count; ++k)
        digits += QChar(u'0' + gridAttribute(attributes.value(k)));
    return digits;
}

bool attributesMatch(const QString& stored, const QList<int>& attributes, int count)
{
    for (int k = 0; k < count; ++k) {
        if (k >= stored.size() || !stored[k].isDigit())
            return false;
        if (stored[k].digitValue() != gridAttribute(attributes.value(k)))
            return false;
    }
    return true;
}

bool creatorBlockMatches(int stored, int nVar, int nSub, int twoGrid, const QString& varAttr,
    const QString& subAttr, const RMORVCompile& document, int mode)
{
    const SControlData& c = *document.control;
    const SSymbolTable& s = *document.symbols;
    if (stored == 0 || stored != mode)
        return false;
    if (nVar != c.variableCount || nSub != c.subVariableCount || twoGrid != c.twoGrid)
        return false;
    if (c.twoGrid != 0) {
        if (!attributesMatch(varAttr, s.variableAttributes, c.variableCount))
            return false;
        if (c.subVariableCount > 0
            && !attributesMatch(subAttr, s.subVariableAttributes, c.subVariableCount))
            return false;
    }
    return true;
}

} // namespace

QString withExtension(const QString& path, const QString& extension)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > slash ? path.left(dot) : path) + extension;
}

QString kurvoFileName(const QString& documentFolder, const QString& documentFileName)
{
    return documentFolder + withExtension(documentFileName, QString()) + QStringLiteral("_MV3.Kurvo");
}

QStringList kurvoFileLines(const RMORVCompile& document, const RPlotShape& shape,
    const QString& dataFileItem, const QString& fileId)
{
    const SControlData& c = *document.control;
    const SSymbolTable& s = *document.symbols;
    QStringList lines;
    lines << QStringLiteral("$KURVO,01010000")
          << commaTextJoin({QStringLiteral("$DATAFILE"), dataFileItem})
          << QStringLiteral("$DATAFILEENCODING,0") << QStringLiteral("$CREATOR")
          << QStringLiteral("MORV,%1,%2,%3,%4")
                 .arg(shape.mode)
                 .arg(c.variableCount)
                 .arg(c.subVariableCount)
                 .arg(c.twoGrid);
    if (c.twoGrid != 0) {
        QString attributes = attributeDigits(s.variableAttributes, c.variableCount);
        if (c.subVariableCount > 0)
            attributes += u',' + attributeDigits(s.subVariableAttributes, c.subVariableCount);
        lines << attributes;
    }
    lines << QStringLiteral("$END") << QStringLiteral("$IMPORTFORMAT");
    lines << plotImportScript(shape);
    lines << QStringLiteral("$END") << commaTextJoin({QStringLiteral("$FILEID"), fileId})
          << QStringLiteral("$SCALARNAME");
    // The names in the order the import script reads the values.
    for (int n : plotValueOrder(shape))
        lines << (n > c.variableCount ? s.subVariableNames.value(n - c.variableCount - 1)
                                      : s.variableNames.value(n - 1));
    lines << QStringLiteral("$END");
    return lines;
}

int GetCreatorBlock(const QString& file, int& nVar, int& nSub, int& twoGrid, QString& varAttr,
    QString& subAttr)
{
    nVar = -1;
    nSub = -1;
    QStringList lines;
    if (!readLines(file, lines))
        return -1;
    qsizetype i = 0;
    while (i < lines.size() && !isKeyword(lines[i], QStringLiteral("$CREATOR")))
        ++i;
    if (i + 1 >= lines.size())
        return 0;
    const QStringList items = commaSplit(lines[++i]);
    if (items.size() != 5 || items[0].toUpper() != QStringLiteral("MORV"))
        return 0;
    int values[4];
    for (int k = 0; k < 4; ++k) {
        bool ok = false;
        values[k] = trimBlanks(items[k + 1]).toInt(&ok);
        if (!ok)
            return 0; // not a creator line of this program
    }
    const int mode = values[0];
    nVar = values[1];
    nSub = values[2];
    twoGrid = values[3];
    varAttr.clear();
    subAttr.clear();
    if (twoGrid > 0) {
        if (++i >= lines.size())
            return 0;
        const QStringList attributes = commaSplit(lines[i]);
        varAttr = attributes.value(0);
        if (nSub > 0)
            subAttr = attributes.value(1);
    }
    if (++i >= lines.size() || !isKeyword(lines[i], QStringLiteral("$END")))
        return 0;
    return mode;
}

bool UpdateFileID(const QString& file, const QString& backupFile, const QString& id,
    const QString& dataFileItem)
{
    // The rewrite reads the copy, so without a good copy nothing is rewritten.
    std::error_code error;
    if (!std::filesystem::copy_file(fsPath(file), fsPath(backupFile),
            std::filesystem::copy_options::overwrite_existing, error))
        return false;
    QList<QByteArray> lines;
    if (!readRawLines(backupFile, lines))
        return false;
    // Lines are rewritten only where they change; every other line keeps its bytes, even
    // bytes that are no UTF-8.
    for (QByteArray& line : lines) {
        QStringList items = commaSplit(QString::fromUtf8(line));
        if (items.isEmpty())
            continue;
        const QString keyword = items[0].toUpper();
        if (keyword == QStringLiteral("$FILEID")) {
            if (items.size() < 2)
                items.append(id);
            else
                items[1] = id;
            line = commaTextJoin(items).toUtf8();
        } else if (keyword == QStringLiteral("$DATAFILE") && !dataFileItem.isEmpty()
                   && items.value(1) != dataFileItem) {
            // The file would otherwise name the other result, or one that no longer exists.
            if (items.size() < 2)
                items.append(dataFileItem);
            else
                items[1] = dataFileItem;
            line = commaTextJoin(items).toUtf8();
        }
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes = ByteOrderMark;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        out.commit();
        return false;
    }
    // The old file becomes the backup (replacing the copy) before the new one takes its place.
    std::filesystem::rename(fsPath(file), fsPath(backupFile), error);
    if (error) {
        out.cancelWriting();
        out.commit(); // removes the temporary file
        return false;
    }
    if (!out.commit()) {
        std::filesystem::rename(fsPath(backupFile), fsPath(file), error);
        return false;
    }
    return true;
}

int CreateKurvoFile(const RMORVCompile& document, const QString& documentFolder,
    const QString& documentFileName, const QString& plotFile, int incomplete)
{
    const QString backupFile = withExtension(plotFile, QStringLiteral(".KVbak"));
    const RPlotShape shape = plotShape(document);
    std::error_code error;
    if (shape.mode == 0) {
        std::filesystem::remove(fsPath(backupFile), error);
        std::filesystem::rename(fsPath(plotFile), fsPath(backupFile), error);
        return KurvoFileNoPlotMode;
    }
    const QString dataFileName = withExtension(documentFileName,
        incomplete != 0 ? QStringLiteral(".MVO3$") : QStringLiteral(".MVO3"));
    const QString dataFileItem = QStringLiteral(".\\") + dataFileName;
    const QString dataFile = documentFolder + dataFileName;

    if (QFile::exists(plotFile)) {
        int nVar = -1, nSub = -1, twoGrid = 0;
        QString varAttr, subAttr;
        const int stored = GetCreatorBlock(plotFile, nVar, nSub, twoGrid, varAttr, subAttr);
        if (stored == -1) {
            postMessage(MessageKind::Error, UnableToRead);
            return KurvoFileUnreadable;
        }
        if (creatorBlockMatches(stored, nVar, nSub, twoGrid, varAttr, subAttr, document,
                shape.mode)) {
            TCrc32 crc;
            bool read = false;
            const QString id = crc.GetFileCRC32Str(dataFile, &read);
            if (!read || !UpdateFileID(plotFile, backupFile, id, dataFileItem)) {
                postMessage(MessageKind::Error, UnableToWrite);
                return KurvoFileWriteFailed;
            }
            return KurvoFileRefreshed;
        }
        std::filesystem::remove(fsPath(backupFile), error);
        std::filesystem::rename(fsPath(plotFile), fsPath(backupFile), error);
    }

    TCrc32 crc;
    bool read = false;
    const QString id = crc.GetFileCRC32Str(dataFile, &read);
    if (read) {
        QSaveFile out(plotFile);
        const QByteArray bytes = fileBytes(kurvoFileLines(document, shape, dataFileItem, id));
        if (out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit())
            return KurvoFileWritten;
    }
    postMessage(MessageKind::Error, UnableToWrite);
    return KurvoFileWriteFailed;
}
