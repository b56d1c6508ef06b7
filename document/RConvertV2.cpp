// Conversion of version 2 document files. They share the record syntax and most records of
// version 3; their symbol blocks carry names only, "$METHOD" is not taken over, and the
// records version 3 added are not recognised.
#include "document/RCommaText.h"
#include "document/RMORVDocument.h"
#include "document/ROldSymbols.h"

namespace {

constexpr int ReadError = 99;

// Records that a version 2 file holds exactly as version 3 does.
bool sharedWithVersion3(const QString& keyword)
{
    static const char* const shared[] = {
        "$RESTART", "$LMAX", "$IPRT", "$IPRN", "$MISES", "$IFIL",
        "$DELT", "$TSTART", "$TEND", "$DELP", "$OMEGA", "$ALPHA", "$EPS", "$EPSDIF",
        "$MESHTYPE", "$AUTODELT", "$PARMX", "$PARMY", "$PARMT", "$TGRID_A", "$TGRID_B",
        "$INPDATA", "$ASSUME", "$SUBVAR", "$INITIAL", "$DOMAIN",
        "$SEG_POINT", "$SEG_LINE", "$SEG_PATH", "$GRID_POINT", "$CELL_TRIANGLE",
        "$INTEGRAL1", "$INTEGRAL2"};
    for (const char* k : shared)
        if (keyword == QLatin1String(k))
            return true;
    return false;
}

// A symbol line names its symbol. A line with a comma gives its first field: the whole line
// would be a name that no script can use.
QString symbolName(const QString& line)
{
    if (line.contains(u','))
        return trimBlanks(commaSplit(line).value(0));
    return trimBlanks(line);
}

}

int RMORVDocument::readVersion2(RDocumentLineReader& reader)
{
    gReset();
    // The symbol-definition text is built from the symbol blocks alone.
    symbolDefinition.clear();
    QString keyword;
    QStringList lines;
    for (;;) {
        const int r = read1block(reader, keyword, lines);
        if (r == -1)
            return 0;
        if (r != 0)
            return ReadError;
        OldSymbolClass symbolClass;
        if (keyword == QLatin1String("$METHOD")) {
            // Version 2 numbered its schemes differently; a converted document uses scheme 0.
            compiler->control->METHOD = 0;
        } else if (oldSymbolBlock(keyword, symbolClass)) {
            QStringList names;
            for (const QString& line : lines)
                names << symbolName(line);
            setOldSymbols(*this, symbolClass, names);
        } else if (sharedWithVersion3(keyword)) {
            if (readRecord3(keyword, lines) != 0)
                return ReadError;
        }
        // Anything else ("$ASCTEXTOUT", "$GRAPH", records of version 3) is skipped whole.
    }
}
