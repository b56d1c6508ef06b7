#pragma once
#include <QString>

class QWidget;
class RMORVCompile;
class RResultHolder;

// The Result menu's commands as the main window runs them: the run log, the result tables and
// the hand-over to the plotting program. Each command creates its windows, shows them modally
// and releases them.
struct RResultCommandContext {
    QWidget* owner = nullptr;
    const RMORVCompile* document = nullptr;
    RResultHolder* results = nullptr;
    QString documentFolder;   // with a trailing '/'
    QString documentFileName; // with its extension
    QString fontName;
    int fontSize = 10;
    int significantDigits = 6;
};

// The log of the complete (".MVL3") or incomplete (".MVL3$") run in the text viewer.
void showRunLog(const RResultCommandContext& context, bool incomplete);
// The selected quantities of the complete (".MVO3") or incomplete (".MVO3$") result as text
// tables, exported to ".M3TXT".
void showResultTables(const RResultCommandContext& context, bool incomplete);
// Writes or refreshes the plot description file, remembers its name in plotFileName and starts
// the plotting program on it: the settings command when there is one, else the desktop's
// handler. A program that cannot be found or started shows "Kurvo has NOT been installed.".
void plotResult(const RResultCommandContext& context, bool incomplete, QString& plotFileName);
