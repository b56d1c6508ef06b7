#include "compiler/CompileList.h"

#include "document/RMORVCompile.h"
#include "document/RNumberText.h"
#include "document/RUtilities.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

QString number(int value, int width)
{
    return QString::number(value).rightJustified(width, QLatin1Char(' '));
}

QString name16(const QString& name)
{
    return FixedLengthString(name, 16);
}

void symbols(QStringList& list, const char* prefix, const QStringList& names, const QList<int>* cells, bool padded)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        QString text = QLatin1String(prefix) + number(int(i + 1), 4) + QStringLiteral("   ");
        text += padded ? name16(names[i]) : names[i];
        if (cells && i < cells->size() && (*cells)[i] != 0)
            text += QStringLiteral("CELL");
        list.append(text);
    }
}

} // namespace

void compileListHeader(QStringList& list, const QString& documentFileName)
{
    list.append(QStringLiteral("---- Compile List : ") + documentFileName + QStringLiteral(" ----"));
    list.append(QString());
}

void compileListGroup(QStringList& list, const RMORVCompile& compiler, int section)
{
    list.append(QStringLiteral("* EQUATION GROUP %1 : ").arg(section + 1) + compiler.sectionLabels[size_t(section)]);
    list.append(QStringLiteral("___ISN@___PNT:__STATEMENT____________"));
}

void SymFileOut(QStringList& list, int firstLine, int codeOffset, const QString& source)
{
    const QStringList lines = source.split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString position = i == 0 ? QString::number(codeOffset + 1).rightJustified(6, QLatin1Char('0'))
                                         : QStringLiteral("      ");
        list.append(number(firstLine + 1 + int(i), 6) + QLatin1Char('@') + position + QStringLiteral(":  ") + lines[i]);
    }
}

void SymListOut(QStringList& list, const RMORVCompile& compiler, const QStringList* chemistryLog)
{
    const SControlData& c = *compiler.control;
    const SSymbolTable& s = *compiler.symbols;
    list.append(QStringLiteral("* SYMBOLS"));
    list.append(QStringLiteral("TYPE_________SCOPE_____No.___SYMBOL__________"));
    if (c.PARMT != 0)
        list.append(QStringLiteral("Parameter-t  global          ") + s.tName);
    if (c.PARMX != 0)
        list.append(QStringLiteral("Parameter-x  global          ") + s.xName);
    if (c.PARMY != 0)
        list.append(QStringLiteral("Parameter-y  global          ") + s.yName);
    symbols(list, "Variable     global   ", s.variableNames, &s.variableAttributes, true);
    symbols(list, "Sub Variable global   ", s.subVariableNames, &s.subVariableAttributes, true);
    symbols(list, "Temporary    global   ", s.temporaryNames, nullptr, false);
    symbols(list, "Input        global   ", s.inputNames, nullptr, false);
    for (qsizetype i = 0; i < s.constantNames.size(); ++i) {
        const double value = i < s.constantValues.size() ? s.constantValues[i] : 0.0;
        list.append(QStringLiteral("Constants    global   ") + number(int(i + 1), 4) + QStringLiteral("   ")
                    + name16(s.constantNames[i]) + QLatin1Char('=') + formatGeneral15(value));
    }
    for (qsizetype i = 0; i < compiler.locals.size(); ++i) {
        // A key is "E%03d:" with the section number, then the name.
        const QString& key = compiler.locals[i];
        bool ok = false;
        const int section = key.mid(1, 3).toInt(&ok);
        const QString label = ok && section >= 0 && section < 5 ? compiler.sectionLabels[size_t(section)] : QString();
        list.append(QStringLiteral("Local        ") + label.rightJustified(9, QLatin1Char(' '))
                    + number(int(i + 1), 4) + QStringLiteral("   ") + key.mid(5));
    }
    if (s.thermoFlag != 0 && chemistryLog) {
        list.append(QString());
        list.append(QStringLiteral("* CHEMICAL PROPERTY"));
        list.append(*chemistryLog);
    }
    list.append(QString());
    list.append(QStringLiteral("* STATISTICS"));
    list.append(QStringLiteral("Variables       : ") + number(c.variableCount, 6));
    list.append(QStringLiteral("Sub Variables   : ") + number(c.subVariableCount, 6));
    list.append(QStringLiteral("Input           : ") + number(c.inputCount, 6));
    list.append(QStringLiteral("Temporary       : ") + number(c.temporaryCount, 6));
    list.append(QStringLiteral("Local Variables : ") + number(c.localCount, 6));
    list.append(QStringLiteral("Constants       : ") + number(int(compiler.literals.size()), 6));
    qsizetype codeBytes = 0;
    for (const auto& section : compiler.code)
        codeBytes += qsizetype(section.size());
    list.append(QStringLiteral("Equation buffer : ") + number(int(codeBytes), 6));
}

QString compileListExportPath(const QString& documentFolder, const QString& documentFileName)
{
    return documentFolder + QFileInfo(documentFileName).completeBaseName() + QStringLiteral(".SYM");
}

bool exportCompileList(const QStringList& lines, const QString& path)
{
    QByteArray text("\xEF\xBB\xBF");
    for (const QString& line : lines)
        text += line.toUtf8() + "\r\n";
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}
