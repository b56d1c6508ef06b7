// morv_headless COMMAND ARGS...: the document, compile, run and table operations of the menus,
// without a window. Messages go to stderr.
#include "Commands.h"
#include "document/RMessages.h"
#include "solver/RProcessMemory.h"

#include <QCoreApplication>
#include <cstdio>
#include <functional>
#include <map>

int main(int argc, char** argv)
{
    tuneProcessMemory(argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Vesko");
    QCoreApplication::setApplicationName("MORV3");

    const std::map<QString, std::function<int(const QStringList&)>> commands = {
        {"resave", cmdResave},
        {"compile", cmdCompile},
        {"table", cmdTable},
        {"mesh", cmdMesh},
        {"run", cmdRun},
    };

    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || !commands.count(args.first())) {
        std::fprintf(stderr, "usage: morv_headless COMMAND ARGS...\ncommands:");
        for (const auto& c : commands)
            std::fprintf(stderr, " %s", qPrintable(c.first));
        std::fprintf(stderr, "\n");
        return 64;
    }
    RStderrMessageSink sink;
    setMessageSink(&sink);
    const QString name = args.takeFirst();
    return commands.at(name)(args);
}
