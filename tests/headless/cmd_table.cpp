// morv_headless table DOC.MV3 [--incomplete] [--vars a,b,...]: prints the text tables that
// Show Result shows for the document's result file (".MVO3", or ".MVO3$" with --incomplete).
// Without --vars every variable and sub variable is selected. Exit status: the loader's result;
// an incomplete result that ends inside an output shows the outputs before it, exit status 0,
// with the loader's notice on standard error.
#include "Commands.h"
#include "document/RMORVDocument.h"
#include "results/RResultHolder.h"
#include "results/RResultLoader.h"
#include "results/RResultTextOut.h"

#include <QFileInfo>
#include <QSettings>
#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: morv_headless table DOC.MV3 [--incomplete] [--vars a,b,...]\n");
    return 64;
}

int setting(const char* name, int fallback)
{
    bool ok = false;
    const int value = QSettings().value(QLatin1String(name)).toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

int cmdTable(const QStringList& args)
{
    QString documentPath;
    QStringList names;
    bool incomplete = false;
    bool namesGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--incomplete")) {
            incomplete = true;
        } else if (args[i] == QLatin1String("--vars") && i + 1 < args.size()) {
            names = args[++i].split(u',', Qt::SkipEmptyParts);
            namesGiven = true;
        } else if (documentPath.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            documentPath = args[i];
        } else {
            return usage();
        }
    }
    if (documentPath.isEmpty())
        return usage();

    const QFileInfo info(documentPath);
    RMORVDocument doc;
    const int read = doc.loadfile(info.absoluteFilePath());
    if (read != 0) {
        std::fprintf(stderr, "can't read (code:%d)\n", read);
        return 100 + read;
    }
    const SControlData& control = *doc.compiler->control;
    const SSymbolTable& symbols = *doc.compiler->symbols;

    RResultHolder holder;
    holder.ResultBufferSize = setting("ResultBufferSize", RResultHolder::DefaultResultBufferSize);
    for (int k = 1; k <= control.variableCount; ++k)
        if (!namesGiven || names.contains(symbols.variableNames.value(k - 1), Qt::CaseInsensitive))
            holder.selectedVariables.append(k);
    for (int k = 1; k <= control.subVariableCount; ++k)
        if (!namesGiven
            || names.contains(symbols.subVariableNames.value(k - 1), Qt::CaseInsensitive))
            holder.selectedSubVariables.append(k);
    for (const QString& name : names)
        if (!symbols.variableNames.contains(name, Qt::CaseInsensitive)
            && !symbols.subVariableNames.contains(name, Qt::CaseInsensitive)) {
            std::fprintf(stderr, "no variable or sub variable named %s\n", qPrintable(name));
            return 64;
        }
    if (holder.selectedVariables.isEmpty() && holder.selectedSubVariables.isEmpty()) {
        std::fprintf(stderr, "nothing selected\n");
        return 64;
    }

    const QString resultPath = info.absolutePath() + u'/' + info.completeBaseName()
        + (incomplete ? QStringLiteral(".MVO3$") : QStringLiteral(".MVO3"));
    const int status = LoadResultFile(holder, *doc.compiler, resultPath, incomplete);
    if (status != ResultLoaded)
        return status;

    QStringList lines;
    ResultTextOut(lines, holder, *doc.compiler, setting("SignificantDigit", 6));
    for (const QString& line : lines) {
        const QByteArray bytes = line.toUtf8();
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
        std::fputc('\n', stdout);
    }
    return 0;
}
