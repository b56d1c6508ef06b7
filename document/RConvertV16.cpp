// Conversion of version 1.6 document files: line-oriented records whose fields are split at
// commas and blanks, counted symbol blocks, and script blocks in the older script language.
#include "document/RCommaText.h"
#include "document/RConvertV16Figure.h"
#include "document/RMORVDocument.h"
#include "document/RNumberText.h"
#include "document/ROldSymbols.h"

#include <algorithm>

namespace {

constexpr int ReadError = 99;
constexpr int UnknownRecord = 7;

// The fields of the next line, stripped at both ends. A line missing at the end of the
// file reads as an empty one.
QStringList nextFields(RDocumentLineReader& reader)
{
    return commaSplit(trimBlanks(reader.readLine()));
}

// The lines of a block up to the line that reads `end` (consumed) or the end of the file,
// without their trailing blanks.
QStringList blockLines(RDocumentLineReader& reader, QLatin1String end)
{
    QStringList lines;
    while (!reader.atEnd()) {
        const QString line = reader.readLine();
        if (trimBlanks(line) == end)
            break;
        lines.append(trimRightBlanks(line));
    }
    return lines;
}

// A count of a block's lines from field 1; a negative count, or one above the lines the file
// has left, is a fault.
bool countField(const QStringList& f, const RDocumentLineReader& reader, int& count)
{
    return f.size() >= 2 && parseInt(f[1], count) && count >= 0 && count <= reader.linesLeft();
}

}

void RMORVDocument::ConvertEquation(QString line, QString& converted, int& counter) const
{
    static const QString marker = QStringLiteral("%equ:");
    const qsizetype hash = line.indexOf(u'#');
    const qsizetype label = line.indexOf(marker, 0, Qt::CaseInsensitive);
    // Only a label before any comment counts; once counted, every marker of the line
    // (a commented one too) gets the same name.
    if (label >= 0 && (hash < 0 || label < hash)) {
        ++counter;
        line.replace(marker, QStringLiteral("MORV_Equation_%1=").arg(counter), Qt::CaseInsensitive);
    }
    const QString& x = compiler->symbols->xName;
    for (const char* order : {"0", "1", "2"}) {
        const QString digit = QLatin1String(order);
        line.replace(u'[' + digit + u']', u'[' + x + u',' + digit + u']');
    }
    converted = line;
}

int RMORVDocument::readVersion16(RDocumentLineReader& reader)
{
    gReset();
    // The symbol-definition text is built from the symbol blocks alone.
    symbolDefinition.clear();
    SControlData& c = *compiler->control;
    SSymbolTable& s = *compiler->symbols;

    struct IntRecord { const char* keyword; int SControlData::*field; };
    static const IntRecord intRecords[] = {
        {"$RESTART", &SControlData::RESTART}, {"$IFIL", &SControlData::IFIL},
        {"$LMAX", &SControlData::LMAX}, {"$IPRT", &SControlData::IPRT},
        {"$IPRN", &SControlData::IPRN}, {"$MISES", &SControlData::MISES}};
    struct RealRecord { const char* keyword; double SControlData::*field; };
    static const RealRecord realRecords[] = {
        {"$DELT", &SControlData::DELT}, {"$DELP", &SControlData::DELP},
        {"$OMEGA", &SControlData::OMEGA}, {"$ALPHA", &SControlData::ALPHA},
        {"$TEND", &SControlData::TEND}};

    // Converts a script block onto the end of a section, each line after indent.
    auto convertBlock = [&](Section section, const QString& indent) {
        int counter = 0;
        for (const QString& line : blockLines(reader, QLatin1String("$END"))) {
            QString converted;
            ConvertEquation(line, converted, counter);
            scripts[section].append(indent + converted);
        }
        return counter;
    };
    auto equationSection = [&c] { return c.PARMT != 0 ? Equation : Initial; };

    int domainEquations = 0;
    while (!reader.atEnd()) {
        const QStringList f = nextFields(reader);
        if (f.isEmpty())
            return ReadError;
        const QString& keyword = f[0];
        auto is = [&keyword](const char* k) { return keyword == QLatin1String(k); };

        const IntRecord* intRecord = std::find_if(std::begin(intRecords), std::end(intRecords),
                                                  [&](const IntRecord& r) { return is(r.keyword); });
        const RealRecord* realRecord = std::find_if(std::begin(realRecords), std::end(realRecords),
                                                    [&](const RealRecord& r) { return is(r.keyword); });
        OldSymbolClass symbolClass;
        if (intRecord != std::end(intRecords)) {
            if (f.size() < 2 || !parseInt(f[1], c.*intRecord->field))
                return ReadError;
        } else if (realRecord != std::end(realRecords)) {
            if (f.size() < 2 || !parseReal(f[1], c.*realRecord->field))
                return ReadError;
        } else if (is("$TITLE")) {
            reader.readLine();
        } else if (is("$NO")) {
        } else if (is("$PARMX") || is("$PARMT")) {
            const bool x = is("$PARMX");
            if (f.size() < 3 || !parseInt(f[1], x ? c.PARMX : c.PARMT))
                return ReadError;
            (x ? s.xName : s.tName) = f[2];
        } else if (is("$DIVX")) {
            if (!readV16Chain(reader, *mesh))
                return ReadError;
        } else if (is("$VARATTR")) {
            int n = 0;
            if (!countField(f, reader, n))
                return ReadError;
            QStringList names;
            // The largest tolerance of the variables; a document without a positive one
            // keeps the default, since a zero tolerance never converges.
            double tolerance = 0.0;
            for (int i = 0; i < n; ++i) {
                const QStringList v = nextFields(reader);
                double t = 0.0;
                if (v.size() < 2 || !parseReal(v[1], t))
                    return ReadError;
                names << trimBlanks(v[0]);
                tolerance = std::max(tolerance, t);
            }
            c.EPS = tolerance > 0.0 ? tolerance : SControlData{}.EPS;
            setOldSymbols(*this, OldSymbolClass::Variable, names);
        } else if (oldSymbolBlock(keyword, symbolClass)) {
            int n = 0;
            if (!countField(f, reader, n))
                return ReadError;
            QStringList names;
            for (int i = 0; i < n; ++i)
                names << trimBlanks(reader.readLine());
            setOldSymbols(*this, symbolClass, names);
        } else if (is("$INPDATA")) {
            int sets = 0, current = 0;
            if (!countField(f, reader, sets) || f.size() < 3 || !parseInt(f[2], current)
                || qsizetype(sets) + c.inputCount > reader.linesLeft()
                || !inputTableFits(sets, c.inputCount, reader.textSize()))
                return ReadError;
            // The field counts from 1.
            inputDataIndex = current - 1;
            inputData.clear();
            for (int j = 0; j < sets; ++j)
                inputData.append(SInputData{QList<double>(c.inputCount, 0.0),
                                            trimRightBlanks(reader.readLine())});
            for (int k = 0; k < c.inputCount; ++k) {
                const QStringList v = nextFields(reader);
                if (v.size() > sets)
                    return ReadError;
                for (qsizetype j = 0; j < v.size(); ++j)
                    if (!parseReal(v[j], inputData[j].values[k]))
                        return ReadError;
            }
        } else if (is("$GRAPH")) {
            reader.skipUntil(u'$');
        } else if (is("$REMSTART")) {
            blockLines(reader, QLatin1String("$REMEND"));
        } else if (is("$DOMAIN")) {
            domainEquations = convertBlock(equationSection(), QString());
        } else if (is("$BCL") || is("$BCR")) {
            const Section section = equationSection();
            const bool ends = c.PARMX != 0;
            if (ends)
                scripts[section].append(is("$BCL") ? QStringLiteral("%if:attribute(1)~1")
                                                   : QStringLiteral("%if:attribute(1)~2"));
            convertBlock(section, QStringLiteral("  "));
            if (ends)
                scripts[section].append(QStringLiteral("%end if"));
        } else if (is("$SUBVAR")) {
            scripts[SubVariable].clear();
            convertBlock(SubVariable, QString());
        } else if (is("$INITIAL")) {
            scripts[Assume].clear();
            convertBlock(Assume, QString());
        } else {
            return UnknownRecord;
        }
    }

    // A chain only belongs to a document whose x parameter is defined.
    if (c.PARMX == 0) {
        mesh->points.clear();
        mesh->segments.clear();
        mesh->groupCount = 0;
    }
    // The labelled lines became assignments to generated names; declare them as the
    // equations, and in a transient problem the initial equations of the variables.
    for (int k = 1; k <= domainEquations; ++k)
        scripts[equationSection()].append(QStringLiteral("%equ:MORV_Equation_%1").arg(k));
    if (c.PARMT != 0)
        for (const QString& name : s.variableNames)
            scripts[Initial].append(QStringLiteral("%equ:") + name + u'[' + s.tName + u']');
    return 0;
}
