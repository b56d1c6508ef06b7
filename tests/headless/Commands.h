#pragma once
#include <QStringList>

// One function per command; args are the command's own arguments (without the command name).
// Each returns the process exit status.
int cmdResave(const QStringList& args);
int cmdCompile(const QStringList& args);
int cmdTable(const QStringList& args);
int cmdMesh(const QStringList& args);
int cmdRun(const QStringList& args);
