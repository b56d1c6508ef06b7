#pragma once
#include <QString>

// The external plotting program. The settings value "KurvoCommand" (QSettings "Vesko",
// "MORV3") names its executable; without it the desktop's handler of the plot description
// file's type is used. There are no version resources here, so a program found either way
// counts as installed.

// The settings value "KurvoCommand", trimmed; empty when none is set.
QString kurvoCommand();
// The desktop entry that handles files named like fileName (xdg-mime), or empty when the
// file type is unknown to the desktop or nobody handles it.
QString kurvoDesktopHandler(const QString& fileName);
// True when a plotting program of version 1.1.0.0 or later is found.
bool KurvoInstalled();
// Starts command with the plot file as its only argument, detached from this program.
bool startKurvoCommand(const QString& command, const QString& plotFile);
