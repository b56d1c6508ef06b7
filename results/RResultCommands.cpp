#include "results/RResultCommands.h"

#include "widgets/RUserInterface.h"
#include "results/PlotDescriptionFile.h"
#include "results/RPlotProgram.h"
#include "results/RResultHolder.h"
#include "results/RResultLoader.h"
#include "results/RResultTextOut.h"
#include "results/TSelVarForm.h"
#include "results/TShowTextForm.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStringDecoder>
#include <QUrl>

namespace {

QString sideFile(const RResultCommandContext& c, const QString& extension)
{
    return withExtension(c.documentFileName, extension);
}

// The text of a log: UTF-8 or UTF-16 as its byte-order mark says; without one the ANSI code
// page, which is UTF-8 here.
QString decodeLog(const QByteArray& bytes)
{
    if (auto encoding = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*encoding); // drops the byte-order mark
        return decoder.decode(bytes);
    }
    return QString::fromUtf8(bytes);
}

QStringList textLines(const QString& text)
{
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

} // namespace

void showRunLog(const RResultCommandContext& c, bool incomplete)
{
    const QString logName = sideFile(c, incomplete ? QStringLiteral(".MVL3$") : QStringLiteral(".MVL3"));
    QFile file(c.documentFolder + logName);
    if (!file.open(QIODevice::ReadOnly)) {
        showMessage(c.owner, QStringLiteral("Cannot open file \"%1\". %2")
                                 .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
        return;
    }
    const QByteArray bytes = file.readAll();
    TShowTextForm viewer(c.owner, c.fontName, c.fontSize);
    viewer.setLines(textLines(decodeLog(bytes)));
    viewer.setWindowTitle(QStringLiteral("Execution log : ") + logName);
    viewer.Button2->hide();
    viewer.overwriteConfirmation = false;
    viewer.exec();
}

void showResultTables(const RResultCommandContext& c, bool incomplete)
{
    {
        TSelVarForm selection(c.owner, *c.document, *c.results);
        selection.exec();
    }
    if (c.results->selectedVariables.isEmpty() && c.results->selectedSubVariables.isEmpty())
        return;
    const QString resultName = sideFile(c, incomplete ? QStringLiteral(".MVO3$") : QStringLiteral(".MVO3"));
    if (LoadResultFile(*c.results, *c.document, c.documentFolder + resultName, incomplete)
        != ResultLoaded)
        return; // the loader has shown why
    TShowTextForm viewer(c.owner, c.fontName, c.fontSize);
    viewer.setWindowTitle(QStringLiteral("Result : ") + c.documentFileName);
    QStringList lines;
    ResultTextOut(lines, *c.results, *c.document, c.significantDigits);
    viewer.setLines(lines);
    viewer.Button2->show();
    viewer.exportEncoding = TShowTextForm::Encoding::Ansi;
    viewer.overwriteConfirmation = true;
    viewer.exportFileName = c.documentFolder + sideFile(c, QStringLiteral(".M3TXT"));
    viewer.exec();
}

void plotResult(const RResultCommandContext& c, bool incomplete, QString& plotFileName)
{
    plotFileName = kurvoFileName(c.documentFolder, c.documentFileName);
    const int status = CreateKurvoFile(*c.document, c.documentFolder, c.documentFileName,
        plotFileName, incomplete ? 1 : 0);
    // A failed write has shown its message; without a parameter there is nothing to plot.
    if (status != KurvoFileWritten && status != KurvoFileRefreshed)
        return;
    const QString command = kurvoCommand();
    bool started = false;
    if (!command.isEmpty())
        started = startKurvoCommand(command, plotFileName);
    else if (!kurvoDesktopHandler(plotFileName).isEmpty())
        started = userInterface().openUrl(QUrl::fromLocalFile(plotFileName));
    if (!started)
        showMessage(c.owner, QStringLiteral("Kurvo has NOT been installed."));
}
