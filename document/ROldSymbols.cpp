#include "document/ROldSymbols.h"
#include "document/RMORVDocument.h"

namespace {
struct Block {
    const char* keyword;
    const char* header;
};
// Indexed by OldSymbolClass.
const Block blocks[] = {
    {"$VARATTR", "%unknown   #------------------------"},
    {"$SUBVATTR", "%sub       #------------------------"},
    {"$INPATTR", "%input     #------------------------"},
    {"$TEMPATTR", "%temporary #------------------------"},
};
}

bool oldSymbolBlock(const QString& keyword, OldSymbolClass& symbolClass)
{
    for (int i = 0; i < 4; ++i)
        if (keyword == QLatin1String(blocks[i].keyword)) {
            symbolClass = static_cast<OldSymbolClass>(i);
            return true;
        }
    return false;
}

void setOldSymbols(RMORVDocument& doc, OldSymbolClass symbolClass, const QStringList& names)
{
    SControlData& c = *doc.compiler->control;
    SSymbolTable& s = *doc.compiler->symbols;
    const int n = int(names.size());
    const QStringList comments(n, QString());
    const QList<int> attributes(n, 0);
    switch (symbolClass) {
    case OldSymbolClass::Variable:
        c.variableCount = n;
        s.variableNames = names;
        s.variableComments = comments;
        s.variableAttributes = attributes;
        break;
    case OldSymbolClass::SubVariable:
        c.subVariableCount = n;
        s.subVariableNames = names;
        s.subVariableComments = comments;
        s.subVariableAttributes = attributes;
        break;
    case OldSymbolClass::Input:
        c.inputCount = n;
        s.inputNames = names;
        s.inputComments = comments;
        break;
    case OldSymbolClass::Temporary:
        c.temporaryCount = n;
        s.temporaryNames = names;
        s.temporaryComments = comments;
        break;
    }
    doc.symbolDefinition.append(QString::fromLatin1(blocks[int(symbolClass)].header));
    doc.symbolDefinition.append(names);
}
