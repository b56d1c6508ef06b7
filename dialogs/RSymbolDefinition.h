#pragma once
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>

class RMORVDocument;

// One symbol as declared in the symbol-definition text.
struct SSymInfo {
    QString name;
    QString comment;
    // Variables and sub variables: 1.0 for a cell variable, else 0.0; labelled constants:
    // the value; temporaries and inputs: 0.0.
    double value = 0.0;
};

// The independent parameters as the symbol dialog shows them: ticked or not, and the name
// box's text as typed.
struct SParameterChoice {
    bool t = false;
    bool x = false;
    bool y = false;
    QString tText;
    QString xText;
    QString yText;
};

// The parser of the symbol-definition text, free of widgets. CheckSyntax reads the
// parameters and the text into the five symbol lists and lists every error as two lines:
// the statement as written, then the message.
class RSymbolDefinition {
public:
    enum List { Variables = 0, SubVariables = 1, Temporaries = 2, Inputs = 3, Constants = 4 };

    // True when at least one error was listed.
    bool CheckSyntax(const SParameterChoice& parameters, const QStringList& lines);
    // 1 when the name (compared without regard to case) is a ticked parameter's name or a
    // symbol read so far, else 0.
    int CheckConflict(const QString& name) const;

    SParameterChoice choice;            // as last passed to CheckSyntax
    QString tName, xName, yName;        // trimmed names, as last read
    std::array<QList<SSymInfo>, 5> lists;
    QStringList errors;

private:
    void parseStatement(int section, const QString& raw, const QString& compact);
    void addError(const QString& raw, const QString& message);
    // CheckConflict while the text is read: the symbols read so far are looked up in
    // m_declared (upper-cased names) instead of being scanned.
    bool conflicts(const QString& name) const;
    int m_errorCount = 0;
    QSet<QString> m_declared;
};

// What applying a checked definition did beyond the records.
struct SSymbolApplyResult {
    bool figureReplaced = false;    // x or y changed: the figure and mesh were discarded
    bool integralsEmptied = false;  // a line or area region list was emptied with them
};

// True when applying `definition` would replace the document's figure and mesh: the choice
// of x or y differs from the document's.
bool symbolChangeReplacesFigure(const RMORVDocument& doc, const RSymbolDefinition& definition);

// Stores a definition that passed CheckSyntax in the document: parameters, symbol records
// and counts, input values carried over by input name, the figure replaced when x or y
// changed, the text, the mesh state and 1-D check code when the two-grid flag changed
// (against `shownTwoGrid`, the flag when the dialog was shown), compile state 2 and the
// modified flag.
SSymbolApplyResult applySymbolDefinition(RMORVDocument& doc, const RSymbolDefinition& definition,
    const QStringList& text, int shownTwoGrid);
