#pragma once
#include "chemistry/RSSChem.h"

#include <QByteArray>
#include <QStringList>

#include <string>
#include <vector>

// Conversions between the Qt string lists of the compile side and the plain line lists of the
// chemistry package. The data bases and the chemistry input are ANSI text: Latin-1 both ways.
inline std::vector<std::string> toChemLines(const QStringList& lines)
{
    std::vector<std::string> out;
    out.reserve(static_cast<size_t>(lines.size()));
    for (const QString& l : lines) out.push_back(l.toLatin1().toStdString());
    return out;
}

inline QStringList fromChemLines(const std::vector<std::string>& lines)
{
    QStringList out;
    out.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& l : lines) out.push_back(QString::fromLatin1(l.data(), static_cast<qsizetype>(l.size())));
    return out;
}

// Appends the data set's chemistry block to a solver data file being built, each line ended by
// CR LF like the rest of that file.
inline void appendChemistryBlock(const RSSChem& chem, QByteArray& out, int withTransport)
{
    std::vector<std::string> lines;
    chem.CKGlobalSave(lines, withTransport);
    for (const std::string& l : lines) {
        out.append(l.data(), static_cast<qsizetype>(l.size()));
        out.append("\r\n");
    }
}
