// Committing a run's files: the "$" files replace the document's, absent ones delete them, and
// one failure does not stop the others.
#include "solver/RRunCommit.h"
#include "SolverTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct CommitFolder {
    QTemporaryDir dir;
    std::string path(const std::string& ext) const
    {
        return dir.path().toStdString() + "/doc" + ext;
    }
    bool exists(const std::string& ext) const { return fs::exists(path(ext)); }
    std::string text(const std::string& ext) const { return readAll(path(ext)); }
};

} // namespace

TEST(RunCommit, PendingFilesReplaceTheCommittedOnesAndMissingOnesDeleteThem)
{
    struct Case {
        const char* what;
        std::vector<std::string> before; // files present before the commit
        std::vector<std::string> committed; // committed files expected afterwards
    };
    const Case cases[] = {
        {"all three replace the old ones",
         {".MVR3", ".MVO3", ".MVL3", ".MVR3$", ".MVO3$", ".MVL3$"},
         {".MVR3", ".MVO3", ".MVL3"}},
        {"first commit", {".MVR3$", ".MVO3$", ".MVL3$"}, {".MVR3", ".MVO3", ".MVL3"}},
        // A run without a log must not leave the previous run's log as if it were its own.
        {"run without log", {".MVR3", ".MVO3", ".MVL3", ".MVR3$", ".MVO3$"}, {".MVR3", ".MVO3"}},
        {"nothing pending", {".MVR3", ".MVO3", ".MVL3"}, {}},
        {"nothing at all", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CommitFolder f;
        writeAll(f.path(".MV3"), "document");
        for (const std::string& ext : c.before)
            writeAll(f.path(ext), ext.back() == '$' ? "new" + ext : "old" + ext);
        commitRunFiles(f.path(".MV3"));
        for (const char* ext : {".MVR3", ".MVO3", ".MVL3"}) {
            const bool expected =
                std::find(c.committed.begin(), c.committed.end(), ext) != c.committed.end();
            EXPECT_EQ(f.exists(ext), expected) << ext;
            if (expected) {
                EXPECT_EQ(f.text(ext), std::string("new") + ext + "$");
            }
            EXPECT_FALSE(f.exists(std::string(ext) + "$")) << ext;
        }
        EXPECT_EQ(f.text(".MV3"), "document");
    }
}

TEST(RunCommit, AFailedRenameKeepsBothFilesAndTheOthersAreStillCommitted)
{
    CommitFolder f;
    // A committed name that is a non-empty folder cannot be replaced.
    fs::create_directory(f.path(".MVR3"));
    writeAll(f.path(".MVR3") + "/inner", "x");
    writeAll(f.path(".MVR3$"), "restart");
    writeAll(f.path(".MVO3"), "old result");
    writeAll(f.path(".MVO3$"), "new result");
    writeAll(f.path(".MVL3$"), "new log");
    commitRunFiles(f.path(".MV3"));
    EXPECT_EQ(f.text(".MVR3$"), "restart");
    EXPECT_TRUE(fs::is_directory(f.path(".MVR3")));
    EXPECT_EQ(f.text(".MVO3"), "new result");
    EXPECT_EQ(f.text(".MVL3"), "new log");
}
