#pragma once
#include "document/RMORVCompile.h"

#include <QStringList>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

// The parts of a document that a result file must match and the tables read.
struct ResultDocumentShape {
    int PARMT = 0;
    int PARMX = 0;
    int PARMY = 0;
    QStringList variables;
    QList<int> variableAttributes;  // empty: all 0
    QStringList subVariables;
    QList<int> subVariableAttributes;
};

inline std::unique_ptr<RMORVCompile> makeResultDocument(const ResultDocumentShape& shape)
{
    auto doc = std::make_unique<RMORVCompile>();
    SControlData& c = *doc->control;
    SSymbolTable& s = *doc->symbols;
    c.PARMT = shape.PARMT;
    c.PARMX = shape.PARMX;
    c.PARMY = shape.PARMY;
    c.spaceDimension = shape.PARMX + shape.PARMY;
    c.variableCount = int(shape.variables.size());
    c.subVariableCount = int(shape.subVariables.size());
    s.variableNames = shape.variables;
    s.subVariableNames = shape.subVariables;
    s.variableAttributes = shape.variableAttributes;
    s.subVariableAttributes = shape.subVariableAttributes;
    while (s.variableAttributes.size() < c.variableCount)
        s.variableAttributes.append(0);
    while (s.subVariableAttributes.size() < c.subVariableCount)
        s.subVariableAttributes.append(0);
    c.twoGrid = 0;
    for (int a : s.variableAttributes + s.subVariableAttributes)
        if (a != 0)
            c.twoGrid = 1;
    return doc;
}

inline QString resultData(const QString& name)
{
    return QStringLiteral(MORV_TEST_DATA "/results/data/") + name;
}
