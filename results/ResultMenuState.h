#pragma once
#include <QString>
#include <functional>

struct SControlData;

// The enabled states of the Result menu's commands and the visibility of its "Incomplete
// result" submenu (and of the separator before it), from the files beside the document at
// the moment the menu opens.
struct RResultMenuState {
    bool showLog1 = false;
    bool showResult1 = false;
    bool kurvo1 = false;
    bool showLog2 = false;
    bool showResult2 = false;
    bool kurvo2 = false;
    bool incompleteResult = false;
};

// A file beside the document: its name with the extension replaced.
QString resultSideFile(const QString& documentFolder, const QString& documentFileName,
    const QString& extension);

// kurvoInstalled is asked only when a plot command could be offered.
RResultMenuState resultMenuState(const SControlData& control, const QString& documentFolder,
    const QString& documentFileName, const std::function<bool()>& kurvoInstalled);
