#pragma once
#include <QList>
#include <QString>

#include <algorithm>

// One input data set: one value per input symbol, in the order of the input names.
struct SInputData {
    QList<double> values;
    QString label;
};

// Whether input data of `sets` sets over `inputs` inputs may be made for a file that holds
// `textChars` characters. A set count in a damaged file must not claim a table that the file
// could never have filled: the values may number at most the characters the file holds, above
// a floor that leaves hand-written files with short value lines alone.
inline bool inputTableFits(qint64 sets, qint64 inputs, qint64 textChars)
{
    return sets >= 0 && inputs >= 0 && sets * inputs <= std::max<qint64>(textChars, qint64(1) << 20);
}
