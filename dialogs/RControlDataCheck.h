#pragma once
#include <QString>
#include <QStringList>

class RMORVDocument;

// The control data dialog's fields as texts and switches, free of widgets: filled from the
// document when the dialog is shown, checked and stored on OK.
struct SControlDataFields {
    bool restart = false;
    QString from, to, timeStep;
    bool adjustTimeStep = false;
    QString times;          // AUTODELT
    QString tolerance;      // EPSDIF
    QString outputEvery;    // IFIL
    QString alpha;
    bool tPlusDt = false;   // FILEOUTTYPE 1
    bool interval = false;
    QString intervalText;   // magnitude of TGRID_A
    bool specifyTime = false;
    QStringList outputTimes; // entries as typed, in list order
    QString iterationLimit; // LMAX
    QString outputLevel;    // IPRT
    QString jacobi;         // MISES
    QString epsilon, omega, deltaPhi;
    bool avoidWarnings = false; // FLOATINGERROR
};

// The fields that carry a red frame when their check fails. The real fields have the frames
// of the form; the integer fields get one of the same kind for an empty or out-of-range entry.
enum ControlDataField : unsigned {
    FieldFrom = 1u << 0,
    FieldTo = 1u << 1,
    FieldTimeStep = 1u << 2,
    FieldInterval = 1u << 3,
    FieldTolerance = 1u << 4,
    FieldEpsilon = 1u << 5,
    FieldOmega = 1u << 6,
    FieldDeltaPhi = 1u << 7,
    FieldAlpha = 1u << 8,
    FieldOutputEvery = 1u << 9,
    FieldTimes = 1u << 10,
    FieldIterationLimit = 1u << 11,
    FieldJacobi = 1u << 12,
    FieldOutputLevel = 1u << 13,
    FieldOutputTimes = 1u << 14,  // an entry of the time list that is no number
};

// The document's values as the dialog shows them.
SControlDataFields controlDataFields(const RMORVDocument& doc);
// Every check, all of them: the set of failing fields (0 when all pass).
unsigned checkControlData(const SControlDataFields& fields, const RMORVDocument& doc);
// Stores fields that passed every check, raises the compile state to at least 1 and sets the
// modified flag. False, with nothing changed, when a check fails.
bool storeControlData(const SControlDataFields& fields, RMORVDocument& doc);

// The restart file beside the document: its folder and name with the extension ".MVR3".
QString restartFilePath(const RMORVDocument& doc);
// The start time in a restart file's first line ("MORV_RESTART_FILE" marker, then the time),
// or 0 when the file is missing or its first line holds no such time.
double GetTimeFromRestartFile(const QString& path);

// Where a new output time goes in a list of entries: before the first entry whose value is
// greater, after all equal ones.
int outputTimeInsertPosition(const QStringList& entries, double value);
