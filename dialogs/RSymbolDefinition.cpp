#include "dialogs/RSymbolDefinition.h"

#include "dialogs/RDialogNumbers.h"
#include "mesh/RMeshReplace.h"
#include "document/RMORVDocument.h"
#include "document/RScanner.h"

#include <cmath>

namespace {

// The section a header statement opens, or -1.
int sectionOfHeader(const QString& compact)
{
    static const char* const headers[] = {"%UNKNOWN", "%SUB", "%TEMPORARY", "%INPUT", "%CONSTANT"};
    const QString upper = compact.toUpper();
    for (int i = 0; i < 5; ++i)
        if (upper == QLatin1String(headers[i]))
            return i;
    return -1;
}

// The comment of a statement: what follows its first "#" up to the next one, trimmed.
QString commentOf(const QString& raw)
{
    const QStringList pieces = raw.split(u'#');
    return pieces.size() > 1 ? pieces.at(1).trimmed() : QString();
}

} // namespace

bool RSymbolDefinition::CheckSyntax(const SParameterChoice& parameters, const QStringList& lines)
{
    errors.clear();
    m_errorCount = 0;
    choice = parameters;
    tName.clear();
    xName.clear();
    yName.clear();
    for (auto& list : lists)
        list.clear();
    m_declared.clear();

    tName = parameters.tText.trimmed();
    // The names are compared as they will be stored, trimmed. A parameter still unnamed at
    // this point has an empty name, so an empty x or y name is caught here as well.
    const QString x = parameters.xText.trimmed();
    if (parameters.x && CheckConflict(x)) {
        errors << QStringLiteral("parameter x") << QStringLiteral("! Duplicated define : ") + x;
        return true;
    }
    xName = x;
    const QString y = parameters.yText.trimmed();
    if (parameters.y && CheckConflict(y)) {
        errors << QStringLiteral("parameter y") << QStringLiteral("! Duplicated define : ") + y;
        return true;
    }
    yName = y;

    int section = -1;
    QString raw, compact;
    int i = 0;
    while ((i = getLine(lines, i, raw, compact)) != -1) {
        const int header = sectionOfHeader(compact);
        if (header >= 0) {
            section = header;
            continue;
        }
        parseStatement(section, raw, compact);
    }
    return m_errorCount > 0;
}

void RSymbolDefinition::parseStatement(int section, const QString& raw, const QString& compact)
{
    QString token;
    int kind = 0;
    int pos = getToken(compact, 0, token, &kind);
    if (pos < 0)
        return; // blank or comment only
    if (section < 0) {
        addError(raw, QStringLiteral("! Unrecognized symbol type"));
        return;
    }
    if (kind != TokIdentifier) {
        addError(raw, QStringLiteral("! Symbol must be a alphanumerical string"));
        return;
    }
    const QString name = token;
    if (conflicts(name)) {
        addError(raw, QStringLiteral("! Duplicated define : ") + name);
        return;
    }
    QList<SSymInfo>& list = lists[section];
    list.append(SSymInfo{name, commentOf(raw), 0.0});
    m_declared.insert(name.toUpper());

    switch (section) {
    case Temporaries:
    case Inputs:
        return;
    case Constants: {
        pos = getToken(compact, pos, token, &kind);
        if (pos < 0 || kind != TokEqual) {
            addError(raw, QStringLiteral("! Constant ") + name + QStringLiteral(" assigned NO value"));
            return;
        }
        pos = getToken(compact, pos, token, &kind);
        double value = 0.0;
        // The scanner also takes "D" as the exponent letter, as the solver's readers do.
        QString literal = token;
        literal.replace(u'D', u'E').replace(u'd', u'e');
        if (pos < 0 || (kind != TokInteger && kind != TokReal) || !dialogReal(literal, value)) {
            addError(raw, QStringLiteral("! Constant ") + name + QStringLiteral(" invalid assignment"));
            return;
        }
        list.last().value = value;
        return;
    }
    default: { // variables and sub variables
        pos = getToken(compact, pos, token, &kind);
        if (pos < 0)
            return;
        bool cell = token == QLatin1String(",");
        if (cell) {
            pos = getToken(compact, pos, token, &kind);
            cell = pos >= 0 && kind == TokIdentifier && token.toUpper() == QLatin1String("C");
        }
        if (!cell) {
            addError(raw, QStringLiteral("! Variable type invalid declaration : ") + name);
            return;
        }
        if (choice.x == choice.y) {
            addError(raw, QStringLiteral("! Cell variable is available in 1D calculation"));
            return;
        }
        list.last().value = 1.0;
        return;
    }
    }
}

int RSymbolDefinition::CheckConflict(const QString& name) const
{
    const QString upper = name.toUpper();
    if (choice.t && upper == tName.toUpper())
        return 1;
    if (choice.x && upper == xName.toUpper())
        return 1;
    if (choice.y && upper == yName.toUpper())
        return 1;
    for (const auto& list : lists)
        for (const SSymInfo& s : list)
            if (s.name.toUpper() == upper)
                return 1;
    return 0;
}

bool RSymbolDefinition::conflicts(const QString& name) const
{
    const QString upper = name.toUpper();
    if (choice.t && upper == tName.toUpper())
        return true;
    if (choice.x && upper == xName.toUpper())
        return true;
    if (choice.y && upper == yName.toUpper())
        return true;
    return m_declared.contains(upper);
}

void RSymbolDefinition::addError(const QString& raw, const QString& message)
{
    errors << raw << message;
    ++m_errorCount;
}

bool symbolChangeReplacesFigure(const RMORVDocument& doc, const RSymbolDefinition& definition)
{
    const SControlData& control = *doc.compiler->control;
    return (control.PARMX != 0) != definition.choice.x || (control.PARMY != 0) != definition.choice.y;
}

SSymbolApplyResult applySymbolDefinition(RMORVDocument& doc, const RSymbolDefinition& definition,
    const QStringList& text, int shownTwoGrid)
{
    SSymbolApplyResult result;
    SControlData& control = *doc.compiler->control;
    SSymbolTable& symbols = *doc.compiler->symbols;
    const auto& lists = definition.lists;

    if (symbolChangeReplacesFigure(doc, definition)) {
        doc.mesh = std::make_unique<RTriangleMesh>(RMORVDocument::UndoDepth);
        result.figureReplaced = true;
        result.integralsEmptied = emptyIntegralLists(*doc.compiler);
    }

    control.PARMT = definition.choice.t ? 1 : 0;
    control.PARMX = definition.choice.x ? 1 : 0;
    control.PARMY = definition.choice.y ? 1 : 0;
    symbols.tName = definition.tName;
    symbols.xName = definition.xName;
    symbols.yName = definition.yName;

    // Variables and sub variables; a cell attribute sets the two-grid flag.
    control.twoGrid = 0;
    control.spaceDimension = control.PARMX + control.PARMY;
    auto fillAttributed = [&](const QList<SSymInfo>& list, int& count, QStringList& names,
                              QStringList& comments, QList<int>& attributes) {
        count = int(list.size());
        names.clear();
        comments.clear();
        attributes.clear();
        for (const SSymInfo& s : list) {
            names << s.name;
            comments << s.comment;
            const int attribute = int(std::floor(s.value + 0.5));
            attributes << attribute;
            if (attribute != 0)
                control.twoGrid = 1;
        }
    };
    fillAttributed(lists[RSymbolDefinition::Variables], control.variableCount, symbols.variableNames,
        symbols.variableComments, symbols.variableAttributes);
    fillAttributed(lists[RSymbolDefinition::SubVariables], control.subVariableCount,
        symbols.subVariableNames, symbols.subVariableComments, symbols.subVariableAttributes);

    control.temporaryCount = int(lists[RSymbolDefinition::Temporaries].size());
    symbols.temporaryNames.clear();
    symbols.temporaryComments.clear();
    for (const SSymInfo& s : lists[RSymbolDefinition::Temporaries]) {
        symbols.temporaryNames << s.name;
        symbols.temporaryComments << s.comment;
    }

    // Inputs: every set keeps the values of the inputs whose names survive (without regard to
    // case), in the new order; a new or renamed input starts at 0.0.
    const QStringList oldNames = control.inputCount > 0 ? symbols.inputNames : QStringList();
    const QList<SInputData> snapshot = doc.inputData;
    const QList<SSymInfo>& inputs = lists[RSymbolDefinition::Inputs];
    control.inputCount = int(inputs.size());
    symbols.inputNames.clear();
    symbols.inputComments.clear();
    for (const SSymInfo& s : inputs) {
        symbols.inputNames << s.name;
        symbols.inputComments << s.comment;
    }
    for (int set = 0; set < doc.inputData.size(); ++set) {
        QList<double> values(control.inputCount, 0.0);
        const QList<double>& old = snapshot.at(set).values;
        for (int i = 0; i < control.inputCount; ++i) {
            const QString upper = inputs.at(i).name.toUpper();
            for (int j = 0; j < oldNames.size(); ++j) {
                if (oldNames.at(j).toUpper() == upper) {
                    values[i] = j < old.size() ? old.at(j) : 0.0;
                    break;
                }
            }
        }
        doc.inputData[set].values = values;
    }

    const QList<SSymInfo>& constants = lists[RSymbolDefinition::Constants];
    symbols.constantCount = int(constants.size());
    symbols.constantNames.clear();
    symbols.constantComments.clear();
    symbols.constantValues.clear();
    for (const SSymInfo& s : constants) {
        symbols.constantNames << s.name;
        symbols.constantComments << s.comment;
        symbols.constantValues << s.value;
    }

    doc.symbolDefinition = text;

    if (control.twoGrid != shownTwoGrid) {
        doc.mesh->meshState = 1;
        doc.meshCheck1D = -1;
    }
    // Region positions are compiled into the byte code, so any change here needs a full
    // compile anyway.
    doc.compileState = 2;
    doc.modified = true;
    return result;
}
