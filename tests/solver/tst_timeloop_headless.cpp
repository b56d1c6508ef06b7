// `morv_headless run`: compile, run lock, the run in a worker thread, the commit of the run's
// files only after status 0 without a stop, the final status line and the exit status.
#include "TimeLoopSupport.h"
#include "solver/RunEvent.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace ByteCode;

namespace {

struct HeadlessRun {
    int exitCode = -1;
    std::string out;
    std::string err;

    // The last line written on standard output.
    std::string lastLine() const
    {
        std::string s = out;
        while (!s.empty() && s.back() == '\n')
            s.pop_back();
        const std::size_t nl = s.rfind('\n');
        return nl == std::string::npos ? s : s.substr(nl + 1);
    }
};

HeadlessRun runHeadless(const QString& document)
{
    QProcess p;
    p.start(QStringLiteral(MORV_HEADLESS), {QStringLiteral("run"), document});
    HeadlessRun r;
    if (!p.waitForFinished(120000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

bool exists(const std::string& path) { return QFile::exists(QString::fromStdString(path)); }

} // namespace

TEST(TimeLoopHeadless, RunEndedWellIsCommitted)
{
    auto d = decayDocument();
    ASSERT_EQ(d->doc.savefile(d->documentPath()), 0);
    const HeadlessRun r = runHeadless(d->documentPath());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.lastLine(), "Finished: status 0, 0 error(s), 0 warning(s)");
    for (const char* ext : {".MVO3", ".MVL3", ".MVR3"}) {
        EXPECT_TRUE(exists(d->path(ext))) << ext;
        EXPECT_FALSE(exists(d->path(ext) + "$")) << ext;
    }
    const std::vector<ResultRecord> records = readRecords(d->path(".MVO3"));
    ASSERT_EQ(records.size(), 11u);
    EXPECT_NEAR(records.back().values.at(0), std::pow(1.1, -10), 1e-12);
    EXPECT_EQ(readLog(d->path(".MVL3")).back(), "Job finished normally.");
}

TEST(TimeLoopHeadless, RunThatFailedOrStoppedLeavesTheCommittedFilesAlone)
{
    struct Case {
        const char* name;
        std::function<void(LoopDocument&)> prepare;
        int exitCode;
        const char* lastLine;  // prefix of the last line on standard output
        const char* errorText; // part of standard error, or nullptr
    } cases[] = {
        {"failed step",
         [](LoopDocument& d) { d.script(SectionEquation, {"%EQU: (c[t] + c)*(t < 0.25)"}); }, 8,
         "Finished: status 8, 1 error(s), 0 warning(s)", nullptr},
        // The matrix listing stops the run after its first assembly.
        {"stopped", [](LoopDocument& d) { d.control().IPRT = 3; }, 0,
         "Finished: status 0, 0 error(s), 0 warning(s), stopped", nullptr},
        {"restart file missing", [](LoopDocument& d) { d.control().RESTART = 1; }, 5,
         "Finished: status 5, 1 error(s), 0 warning(s)", nullptr},
        {"parameter file without its count",
         [](LoopDocument& d) { writeAll(d.path(".PRM"), "x\r\n"); }, 4, "",
         "Error on startup [4]"},
        {"result file cannot be written",
         [](LoopDocument& d) { QDir().mkpath(QString::fromStdString(d.path(".MVO3$"))); }, 99,
         "Finished: status 99, 1 error(s), 0 warning(s)", "unexpected error"},
        {"compile error", [](LoopDocument& d) { d.script(SectionEquation, {"%EQU: c[t] + (("}); },
         65, "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto d = decayDocument();
        c.prepare(*d);
        ASSERT_EQ(d->doc.savefile(d->documentPath()), 0);
        for (const char* ext : {".MVO3", ".MVL3", ".MVR3"})
            writeAll(d->path(ext), std::string("previous ") + ext);
        const HeadlessRun r = runHeadless(d->documentPath());
        EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
        EXPECT_EQ(r.lastLine().rfind(c.lastLine, 0), 0u) << r.lastLine();
        if (c.errorText) {
            EXPECT_NE(r.err.find(c.errorText), std::string::npos) << r.err;
        }
        for (const char* ext : {".MVO3", ".MVL3", ".MVR3"})
            EXPECT_EQ(readAll(d->path(ext)), std::string("previous ") + ext);
    }
}

TEST(TimeLoopHeadless, SecondRunOfTheSameDataFileIsRefused)
{
    auto d = decayDocument();
    ASSERT_EQ(d->doc.savefile(d->documentPath()), 0);
    RunEvent held(d->dataFile());
    ASSERT_TRUE(held.acquire());
    // The solver data file of the run going on is not compiled over.
    writeAll(d->dataFile(), "data file of the run going on");
    const HeadlessRun r = runHeadless(d->documentPath());
    EXPECT_EQ(r.exitCode, 66);
    EXPECT_NE(r.err.find("Already in execution ?"), std::string::npos) << r.err;
    EXPECT_FALSE(exists(d->path(".MVO3$")));
    EXPECT_EQ(readAll(d->dataFile()), "data file of the run going on");
}

TEST(TimeLoopHeadless, ErrorWhileBuildingTheEngineExitsWith99AndCommitsNothing)
{
    auto d = decayDocument();
    ASSERT_EQ(d->doc.savefile(d->documentPath()), 0);
    writeAll(d->path(".MVO3"), "previous result");
    // The log cannot be opened for writing: the engine's constructor throws.
    ASSERT_TRUE(std::filesystem::create_directory(d->path(".MVL3$")));
    const HeadlessRun r = runHeadless(d->documentPath());
    EXPECT_EQ(r.exitCode, 99);
    EXPECT_NE(r.err.find("Error on startup [99]"), std::string::npos) << r.err;
    EXPECT_EQ(readAll(d->path(".MVO3")), "previous result");
    RunEvent probe(d->dataFile());
    EXPECT_TRUE(probe.acquire());
}

TEST(TimeLoopHeadless, RunWithoutLogRemovesTheCommittedLog)
{
    auto d = decayDocument();
    d->control().IPRN = 0;
    ASSERT_EQ(d->doc.savefile(d->documentPath()), 0);
    writeAll(d->path(".MVL3"), "log of an earlier run");
    writeAll(d->path(".MVL3$"), "stale log of a failed run");
    const HeadlessRun r = runHeadless(d->documentPath());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(exists(d->path(".MVL3")));
    EXPECT_FALSE(exists(d->path(".MVL3$")));
    EXPECT_TRUE(exists(d->path(".MVO3")));
}
