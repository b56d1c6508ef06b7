#pragma once
// Shared by the end-to-end tests: a copy of an example document in a throw-away folder, run
// through `morv_headless run` as a user would run it, and its committed result read back with
// the result loader of the Result menu.
#include "document/RMORVDocument.h"
#include "results/RResultHolder.h"
#include "results/RResultLoader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

// The examples/ folder of the source tree.
inline QString examplePath(const QString& name)
{
    return QStringLiteral(MORV_TEST_DATA "/../examples/") + name;
}

class ExampleRun {
public:
    // Copies the example into a fresh folder; `edit` may change the copy's document first (it
    // is then saved as the program saves it).
    explicit ExampleRun(const QString& name, const std::function<void(RMORVDocument&)>& edit = {})
        : name_(name)
    {
        EXPECT_TRUE(dir_.isValid());
        const QString copy = path(QStringLiteral(".MV3"));
        EXPECT_TRUE(QFile::copy(examplePath(name + QStringLiteral(".MV3")), copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        if (edit) {
            RMORVDocument doc;
            EXPECT_EQ(doc.loadfile(copy), 0);
            edit(doc);
            EXPECT_EQ(doc.savefile(copy), 0);
        }
    }

    // A document of the given text (as the program writes documents) in place of an example.
    struct DocumentText {
        QByteArray text;
    };
    ExampleRun(const QString& name, const DocumentText& document) : name_(name)
    {
        EXPECT_TRUE(dir_.isValid());
        QFile file(path(QStringLiteral(".MV3")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(document.text), document.text.size());
    }

    // The document's file with another extension (".MV3", ".MVO3", ".MVL3$", ...).
    QString path(const QString& extension) const { return dir_.filePath(name_ + extension); }

    // Runs `morv_headless run` on the copy; the exit status is the run status.
    int run() { return headless({QStringLiteral("run"), path(QStringLiteral(".MV3"))}); }

    // Builds the grid of the copy's figure with `morv_headless mesh`, replacing the copy.
    int mesh()
    {
        const QString copy = path(QStringLiteral(".MV3"));
        return headless({QStringLiteral("mesh"), copy, copy});
    }

    // `morv_headless table` on the copy's committed result: the text of Show Result, with the
    // default settings (six significant digits).
    int table() { return headless({QStringLiteral("table"), path(QStringLiteral(".MV3"))}); }

    // Runs morv_headless with `arguments`; its standard output and error are kept in `output`
    // (and the standard output alone in `standardOutput`), the exit status is returned.
    int headless(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Settings and the user's data folder of the run stay inside the throw-away folder.
        env.insert(QStringLiteral("HOME"), dir_.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("config")));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir_.path());
        process.start(QStringLiteral(MORV_HEADLESS), arguments);
        if (!process.waitForFinished(300000)) {
            process.kill();
            process.waitForFinished();
            output = QStringLiteral("morv_headless %1 did not finish").arg(arguments.value(0));
            return -1;
        }
        standardOutput = process.readAllStandardOutput();
        output = QString::fromUtf8(standardOutput)
                 + QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // Loads the committed result file against the copy's document.
    int load()
    {
        RMORVDocument doc;
        const int read = doc.loadfile(path(QStringLiteral(".MV3")));
        if (read != 0)
            return 100 + read;
        return LoadResultFile(holder, *doc.compiler, path(QStringLiteral(".MVO3")));
    }

    // Number of output levels loaded, and the values of one level (0-based, -1 the last).
    int levels() const { return int(holder.result.variableTimes.size()); }
    double time(int level) const
    {
        return holder.result.variableTimes[std::size_t(level < 0 ? levels() + level : level)];
    }
    int points() const { return int(holder.result.grid1Points.size()); }
    double x(int point) const { return holder.result.grid1Points[std::size_t(point)].x; }
    double y(int point) const { return holder.result.grid1Points[std::size_t(point)].y; }
    // Variable k (0-based) at a point of a level.
    double value(int level, int point, int k) const
    {
        const RResultRowBuffer& rows = holder.result.variableRows1;
        const std::int64_t lvl = level < 0 ? levels() + level : level;
        return rows.values(lvl * rows.pointsPerBlock() + point)[k];
    }
    double subValue(int level, int point, int k) const
    {
        const RResultRowBuffer& rows = holder.result.subVariableRows1;
        const std::int64_t lvl =
            level < 0 ? std::int64_t(holder.result.subVariableTimes.size()) + level : level;
        return rows.values(lvl * rows.pointsPerBlock() + point)[k];
    }
    // The point whose x is nearest to `at`.
    int pointAt(double at) const
    {
        int best = 0;
        for (int p = 1; p < points(); ++p)
            if (std::abs(x(p) - at) < std::abs(x(best) - at))
                best = p;
        return best;
    }

    QString output;
    QByteArray standardOutput;
    RResultHolder holder;

private:
    QString name_;
    QTemporaryDir dir_;
};
