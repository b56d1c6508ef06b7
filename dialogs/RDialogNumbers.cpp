#include "dialogs/RDialogNumbers.h"

#include "document/RNumberText.h"

#include <cmath>

bool dialogReal(const QString& text, double& value)
{
    double v = 0.0;
    if (!parseReal(text, v) || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool dialogInt(const QString& text, int& value)
{
    return parseInt(text, value);
}
