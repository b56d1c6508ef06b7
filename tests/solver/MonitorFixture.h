#pragma once
// A run monitor over a compiled document in a throw-away folder, with a scripted user
// interface that records the message boxes.
#include "compiler/RCompileRun.h"
#include "document/RMORVDocument.h"
#include "solver/RRazava.h"
#include "solver/ui/TForm13.h"
#include "tests/widgets/ScriptedUserInterface.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

// Generous: a loaded two-core machine may take its time to schedule the run threads.
inline constexpr int kMonitorTimeout = 60000;

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Waits in the run thread until `flag` reaches `value` or the run is asked to stop.
inline void waitInRun(const std::atomic<int>& flag, int value, const MORVGlobalData& g)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMonitorTimeout);
    while (flag.load() < value && g.stopRequest.load() == 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// The heat equation of heat1d.MV3 over a time range that no test waits for: tiny steps, no
// output before the end and no log, so its files stay as they are while it runs.
inline void endlessHeatRun(RMORVDocument& doc)
{
    SControlData& c = *doc.compiler->control;
    c.DELT = 1e-6;
    c.TEND = 1e9;
    c.IFIL = 0;
    c.IPRT = 0;
    c.IPRN = 0;
    doc.compiler->symbols->TGRID_A = -1.0;
    doc.adjustTimeStep = false;
}

struct MonitorFixture {
    // Copies a document of tests/compiler/scripts and compiles it into its solver data file.
    // `change` may change the document before it is compiled.
    void compile(const char* name = "heat1d.MV3", const std::function<void(RMORVDocument&)>& change = {})
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(QFile::copy(QStringLiteral(MORV_TEST_DATA "/compiler/scripts/") + name, path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        ASSERT_EQ(doc.loadfile(path), 0);
        doc.documentFolder = dir.path() + '/';
        doc.documentFileName = QString::fromLatin1(name);
        doc.named = true;
        if (change)
            change(doc);
        QStringList log;
        ASSERT_EQ(runCompile(doc, doc.scripts, log), 0) << log.join('\n').toStdString();
        ASSERT_TRUE(QFile::exists(file(".MVAT$")));
    }

    // The document's file with another extension.
    QString file(const char* extension) const
    {
        return doc.documentFolder + QFileInfo(doc.documentFileName).completeBaseName()
               + QString::fromLatin1(extension);
    }

    std::unique_ptr<TForm13> makeMonitor()
    {
        return std::make_unique<TForm13>(nullptr, doc, solver, QStringLiteral("Monospace"), 10);
    }

    // Shows the monitor and waits until its run is over (the button reads "Close").
    static bool runToEnd(TForm13& monitor)
    {
        monitor.show();
        return QTest::qWaitFor([&] { return monitor.SpeedButton1->text() == QStringLiteral("Close"); },
                               kMonitorTimeout);
    }

    QTemporaryDir dir;
    RMORVDocument doc;
    std::unique_ptr<RRazava> solver;
    ScriptedUserInterface ui;
};
