#pragma once
// Small documents for the compiler tests: symbols declared in one call, byte code written as
// lists of numbers.

#include "document/RMORVCompile.h"

#include <QStringList>
#include <initializer_list>
#include <ostream>
#include <vector>

// Readable failure output for texts and lists of texts.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

struct Declarations {
    QStringList variables;
    QStringList subVariables;
    QStringList temporaries;
    QStringList inputs;
    QStringList constants;
    QList<double> constantValues;   // defaults to 1, 2, 3 ... when empty
    QList<int> variableCells;       // defaults to 0 for every variable
    bool t = false, x = false, y = false;
    QString tName = "t", xName = "x", yName = "y";
    int speciesCount = 0;
    int thermo = 0, transport = 0;
    QStringList integral1, integral2; // region names
};

inline void declare(RMORVCompile& c, const Declarations& d)
{
    SControlData& cd = *c.control;
    SSymbolTable& st = *c.symbols;
    cd.PARMT = d.t;
    cd.PARMX = d.x;
    cd.PARMY = d.y;
    cd.spaceDimension = d.x + d.y;
    cd.variableCount = d.variables.size();
    cd.subVariableCount = d.subVariables.size();
    cd.temporaryCount = d.temporaries.size();
    cd.inputCount = d.inputs.size();
    st.variableNames = d.variables;
    st.subVariableNames = d.subVariables;
    st.temporaryNames = d.temporaries;
    st.inputNames = d.inputs;
    st.constantNames = d.constants;
    st.constantCount = d.constants.size();
    st.constantValues = d.constantValues;
    for (int i = st.constantValues.size(); i < d.constants.size(); ++i)
        st.constantValues.append(i + 1);
    st.variableAttributes = d.variableCells;
    while (st.variableAttributes.size() < d.variables.size())
        st.variableAttributes.append(0);
    st.subVariableAttributes = QList<int>(d.subVariables.size(), 0);
    st.variableComments = QStringList(d.variables.size(), QString());
    st.subVariableComments = QStringList(d.subVariables.size(), QString());
    st.temporaryComments = QStringList(d.temporaries.size(), QString());
    st.inputComments = QStringList(d.inputs.size(), QString());
    st.constantComments = QStringList(d.constants.size(), QString());
    st.tName = d.tName;
    st.xName = d.xName;
    st.yName = d.yName;
    st.speciesCount = d.speciesCount;
    st.speciesNames.clear();
    for (int i = 0; i < d.speciesCount; ++i)
        st.speciesNames.append(QStringLiteral("S%1").arg(i + 1));
    st.thermoFlag = d.thermo;
    st.transportFlag = d.transport;
    c.INTEGRAL1.clear();
    for (const QString& n : d.integral1)
        c.INTEGRAL1.append(SIntegral{n, {}});
    c.INTEGRAL2.clear();
    for (const QString& n : d.integral2)
        c.INTEGRAL2.append(SIntegral{n, {}});
    // The pool starts with the labelled constants, as the compile run seeds it.
    c.literals.assign(st.constantValues.cbegin(), st.constantValues.cend());
}

using Bytes = std::vector<unsigned char>;

// Concatenates byte groups: bytes({1, 5, 1, 0}, {33}).
inline Bytes bytes(std::initializer_list<std::initializer_list<int>> groups)
{
    Bytes out;
    for (const auto& g : groups)
        for (int b : g)
            out.push_back(static_cast<unsigned char>(b));
    return out;
}
