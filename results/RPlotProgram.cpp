#include "results/RPlotProgram.h"

#include "document/RUtilities.h"

#include <QMimeDatabase>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace {
// Any name of the plot description file's type will do to ask for its handler.
const QString SamplePlotFile = QStringLiteral("plot_MV3.Kurvo");
// The lowest version of the plotting program that reads the files written here.
constexpr int LowestKurvoVersion = 1010000;
}

QString kurvoCommand()
{
    const QSettings settings(QStringLiteral("Vesko"), QStringLiteral("MORV3"));
    return settings.value(QStringLiteral("KurvoCommand")).toString().trimmed();
}

QString kurvoDesktopHandler(const QString& fileName)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return QString();
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return QString();
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type.name()});
    if (!query.waitForFinished(3000) || query.exitStatus() != QProcess::NormalExit
        || query.exitCode() != 0) {
        query.kill();
        query.waitForFinished(1000);
        return QString();
    }
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

bool KurvoInstalled()
{
    const QString command = kurvoCommand();
    if (!command.isEmpty())
        return VersionInfo(command) >= LowestKurvoVersion;
    return !kurvoDesktopHandler(SamplePlotFile).isEmpty();
}

bool startKurvoCommand(const QString& command, const QString& plotFile)
{
    return QProcess::startDetached(command, {plotFile});
}
