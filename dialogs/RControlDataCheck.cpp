#include "dialogs/RControlDataCheck.h"

#include "dialogs/RDialogNumbers.h"
#include "document/RAnsiCodePage.h"
#include "document/RCommaText.h"
#include "document/RMORVDocument.h"
#include "document/RNumberText.h"

#include <QFile>
#include <cmath>

SControlDataFields controlDataFields(const RMORVDocument& doc)
{
    const SControlData& c = *doc.compiler->control;
    const SSymbolTable& s = *doc.compiler->symbols;
    SControlDataFields f;
    f.restart = c.RESTART != 0;
    f.from = formatGeneral15(c.TSTART);
    f.to = formatGeneral15(c.TEND);
    f.timeStep = formatGeneral15(c.DELT);
    f.adjustTimeStep = doc.adjustTimeStep;
    f.times = QString::number(c.AUTODELT);
    f.tolerance = formatGeneral15(c.EPSDIF);
    f.outputEvery = QString::number(c.IFIL);
    f.alpha = formatGeneral15(c.ALPHA);
    f.tPlusDt = c.FILEOUTTYPE == 1;
    f.interval = s.TGRID_A > 0.0;
    f.intervalText = formatGeneral15(std::fabs(s.TGRID_A));
    f.specifyTime = s.outputTimeCount > 0;
    for (int i = 0; i < s.outputTimeCount && i < s.TGRID_B.size(); ++i)
        f.outputTimes << formatGeneral15(s.TGRID_B.at(i));
    f.iterationLimit = QString::number(c.LMAX);
    f.outputLevel = QString::number(c.IPRT);
    f.jacobi = QString::number(c.MISES);
    f.epsilon = formatGeneral15(c.EPS);
    f.omega = formatGeneral15(c.OMEGA);
    f.deltaPhi = formatGeneral15(c.DELP);
    f.avoidWarnings = c.FLOATINGERROR != 0;
    return f;
}

namespace {

// The values of fields that passed; filled while checking so that storing reads each field
// the same way the check did.
struct Values {
    double from = 0, to = 0, timeStep = 0, interval = 0, tolerance = 0;
    double epsilon = 0, omega = 0, deltaPhi = 0, alpha = 0;
    int outputEvery = 0, times = 0, iterationLimit = 0, jacobi = 0, outputLevel = 0;
    QList<double> outputTimes;
};

unsigned check(const SControlDataFields& f, const RMORVDocument& doc, Values& v)
{
    unsigned failed = 0;
    auto real = [&](const QString& text, double& value, unsigned field, auto&& accept) {
        if (!dialogReal(text, value) || !accept(value))
            failed |= field;
    };
    auto integer = [&](const QString& text, int& value, unsigned field) {
        if (!dialogInt(text, value))
            failed |= field;
    };
    auto any = [](double) { return true; };
    auto positive = [](double x) { return x > 0.0; };

    const bool fromIsNumber = dialogReal(f.from, v.from);
    if (!fromIsNumber)
        failed |= FieldFrom;
    const double start = fromIsNumber ? v.from : doc.compiler->control->TSTART;
    real(f.to, v.to, FieldTo, [&](double x) { return x > start; });
    real(f.timeStep, v.timeStep, FieldTimeStep, positive);
    if (f.interval)
        real(f.intervalText, v.interval, FieldInterval, positive);
    else
        real(f.intervalText, v.interval, FieldInterval, any);
    real(f.tolerance, v.tolerance, FieldTolerance, positive);
    integer(f.outputEvery, v.outputEvery, FieldOutputEvery);
    integer(f.times, v.times, FieldTimes);
    for (const QString& entry : f.outputTimes) {
        double t = 0.0;
        if (dialogReal(entry, t))
            v.outputTimes << t;
        else
            failed |= FieldOutputTimes;
    }
    real(f.epsilon, v.epsilon, FieldEpsilon, positive);
    real(f.omega, v.omega, FieldOmega, [](double x) { return x > 0.0 && x <= 1.0; });
    real(f.deltaPhi, v.deltaPhi, FieldDeltaPhi, positive);
    real(f.alpha, v.alpha, FieldAlpha, [](double x) { return x >= 0.0 && x <= 1.0; });
    integer(f.iterationLimit, v.iterationLimit, FieldIterationLimit);
    integer(f.jacobi, v.jacobi, FieldJacobi);
    integer(f.outputLevel, v.outputLevel, FieldOutputLevel);
    return failed;
}

} // namespace

unsigned checkControlData(const SControlDataFields& fields, const RMORVDocument& doc)
{
    Values v;
    return check(fields, doc, v);
}

bool storeControlData(const SControlDataFields& f, RMORVDocument& doc)
{
    Values v;
    if (check(f, doc, v) != 0)
        return false;
    SControlData& c = *doc.compiler->control;
    SSymbolTable& s = *doc.compiler->symbols;
    c.TSTART = v.from;
    c.TEND = v.to;
    c.DELT = v.timeStep;
    c.EPSDIF = v.tolerance;
    c.ALPHA = v.alpha;
    c.EPS = v.epsilon;
    c.OMEGA = v.omega;
    c.DELP = v.deltaPhi;
    c.IFIL = v.outputEvery;
    c.AUTODELT = v.times;
    c.LMAX = v.iterationLimit;
    c.MISES = v.jacobi;
    c.IPRT = v.outputLevel;
    doc.adjustTimeStep = f.adjustTimeStep;
    c.RESTART = f.restart ? 1 : 0;
    c.FLOATINGERROR = f.avoidWarnings ? 1 : 0;
    c.FILEOUTTYPE = f.tPlusDt ? 1 : 0;
    // Off keeps the magnitude with a negative sign, whatever sign was typed.
    s.TGRID_A = f.interval ? v.interval : -std::fabs(v.interval);
    if (f.specifyTime) {
        s.TGRID_B = v.outputTimes;
    } else {
        s.TGRID_B.clear();
    }
    s.outputTimeCount = int(s.TGRID_B.size());
    if (doc.compileState < 1)
        doc.compileState = 1;
    doc.modified = true;
    return true;
}

QString restartFilePath(const RMORVDocument& doc)
{
    QString name = doc.documentFileName;
    const int dot = int(name.lastIndexOf(u'.'));
    if (dot >= 0)
        name.truncate(dot);
    return doc.documentFolder + name + QStringLiteral(".MVR3");
}

double GetTimeFromRestartFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0.0;
    QByteArray line = file.readLine();
    file.close();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    const QStringList items = commaSplit(decodeAnsiText(line));
    if (items.isEmpty() || !items.at(0).toUpper().contains(QLatin1String("MORV_RESTART_FILE")))
        return 0.0;
    double time = 0.0;
    if (items.size() < 2 || !dialogReal(items.at(1), time))
        return 0.0;
    return time;
}

int outputTimeInsertPosition(const QStringList& entries, double value)
{
    for (int i = 0; i < entries.size(); ++i) {
        double existing = 0.0;
        if (dialogReal(entries.at(i), existing) && existing > value)
            return i;
    }
    return int(entries.size());
}
