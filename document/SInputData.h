#pragma once
#include <QList>
#include <QString>

// One input data set: one value per input symbol, in the order of the input names.
struct SInputData {
    QList<double> values;
    QString label;
};
