// morv_headless run DOC.MV3: compiles the document as `morv_headless compile` does (its log on
// standard output), takes the run lock of the solver data file as the monitor does, builds the
// engine and runs it to its end in a worker thread, commits the run's files when it ended with
// status 0 and was not stopped, and prints "Finished: status S, E error(s), W warning(s)" (with
// ", stopped" after a stop).
//
// Exit status: the run status (0 also for a stopped run, whose files stay uncommitted); the
// start-up status when the engine cannot start (its reason on standard error); 99 for an error
// escaping the engine's construction or the run; 64 for a wrong call; 65 when the document does
// not compile (the compile's messages say why); 66 when the same solver data file is already
// being run.

#include "Commands.h"
#include "solver/RRazava.h"
#include "solver/RRunCommit.h"
#include "solver/RunEvent.h"

#include <QFileInfo>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <thread>

namespace {

// The text of the exception being handled; call only inside a catch block.
std::string currentErrorText()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown error";
    }
}

} // namespace

int cmdRun(const QStringList& args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: morv_headless run DOC.MV3\n");
        return 64;
    }
    const QFileInfo document(args.first());
    const std::string dataFile =
        (document.absolutePath() + '/' + document.completeBaseName() + QStringLiteral(".MVAT$"))
            .toStdString();

    // The lock is held before the compile rewrites the solver data file and before the engine
    // touches any run file, and outlives the engine: a run going on keeps its files.
    RunEvent event(dataFile);
    if (!event.acquire()) {
        std::fprintf(stderr, "Already in execution ?\n");
        return 66;
    }
    if (cmdCompile(args) != 0)
        return 65;

    std::unique_ptr<RRazava> built;
    try {
        built = std::make_unique<RRazava>("MORV", dataFile);
    } catch (...) {
        std::fprintf(stderr, "Error on startup [99]: %s\n", currentErrorText().c_str());
        return 99;
    }
    RRazava& engine = *built;
    MORVGlobalData& g = *engine.globalData();
    if (g.runStatus != 0) {
        std::fprintf(stderr, "Error on startup [%d]: %s\n", g.runStatus.load(),
                     engine.startupReason().c_str());
        return g.runStatus;
    }
    g.runEvent = &event;

    std::string unexpected;
    std::thread worker([&] {
        try {
            engine.SolveEquation();
        } catch (...) {
            unexpected = currentErrorText();
            g.runStatus = 99;
            g.runErrorCount.fetch_add(1, std::memory_order_relaxed);
        }
    });
    worker.join();

    if (!unexpected.empty())
        std::fprintf(stderr, "unexpected error: %s\n", unexpected.c_str());
    const int status = g.runStatus;
    const bool stopped = g.stopRequest.load() != 0;
    if (status == 0 && !stopped)
        commitRunFiles(dataFile);
    std::printf("Finished: status %d, %d error(s), %d warning(s)%s\n", status,
                g.runErrorCount.load(), g.runWarningCount.load(), stopped ? ", stopped" : "");
    std::fflush(stdout);
    return status;
}
