#include "RecordingSink.h"
#include "ResultTestDocuments.h"
#include "widgets/RExtraMemo.h"
#include "results/RResultCommands.h"
#include "results/RResultHolder.h"
#include "results/RResultLoader.h"
#include "results/RResultTextOut.h"
#include "results/TSelVarForm.h"
#include "results/TShowTextForm.h"
#include "tests/widgets/ScriptedUserInterface.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

const ResultDocumentShape LineY{1, 0, 1, {"A", "B"}, {}, {}, {}};

// Runs `act` on the next modal window once it is shown; counts the windows seen.
struct ModalScript {
    void next(std::function<void(QWidget*)> act)
    {
        QTimer::singleShot(0, [this, act] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w) {
                next(act); // not shown yet
                return;
            }
            ++seen;
            act(w);
        });
    }
    int seen = 0;
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class ResultCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Settings of their own, so that tests running side by side never see each other's.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        doc = makeResultDocument(LineY);
        context.document = doc.get();
        context.results = &holder;
        context.documentFolder = dir.path() + u'/';
        context.documentFileName = QStringLiteral("beam.MV3");
        context.fontName = QStringLiteral("Monospace");
    }
    void TearDown() override
    {
        QSettings(QStringLiteral("Vesko"), QStringLiteral("MORV3")).remove(QStringLiteral("KurvoCommand"));
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir settingsDir;
    QTemporaryDir dir;
    std::unique_ptr<RMORVCompile> doc;
    RResultHolder holder;
    RResultCommandContext context;
    ScriptedUserInterface ui;
    RecordingSink sink;
    ModalScript modal;
};

} // namespace

TEST_F(ResultCommands, ShowLogShowsTheLogWithoutExport)
{
    writeFile(path(QStringLiteral("beam.MVL3$")), "\xEF\xBB\xBFstopped at t = 1\r\nW\xC3\xA4rme\r\n");
    TShowTextForm* shown = nullptr;
    QString caption;
    QStringList lines;
    bool exportVisible = true;
    bool confirm = true;
    modal.next([&](QWidget* w) {
        shown = dynamic_cast<TShowTextForm*>(w);
        ASSERT_NE(shown, nullptr);
        caption = shown->windowTitle();
        lines = shown->lines();
        exportVisible = shown->Button2->isVisible();
        confirm = shown->overwriteConfirmation;
        shown->close();
    });
    showRunLog(context, true);
    EXPECT_EQ(modal.seen, 1);
    EXPECT_EQ(caption, QStringLiteral("Execution log : beam.MVL3$"));
    EXPECT_EQ(lines, QStringList({"stopped at t = 1", QStringLiteral("W\u00E4rme")}));
    EXPECT_FALSE(exportVisible);
    EXPECT_FALSE(confirm);
    EXPECT_TRUE(ui.messages.isEmpty());

    // A log removed after the menu opened: a message and no viewer.
    showRunLog(context, false);
    EXPECT_EQ(modal.seen, 1);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].contains(QStringLiteral("beam.MVL3")));
}

TEST_F(ResultCommands, ShowResultLoadsTheSelectionIntoTheViewer)
{
    QFile::copy(resultData(QStringLiteral("line.MVO3")), path(QStringLiteral("beam.MVO3$")));
    QString caption, exportName;
    QStringList lines;
    bool exportVisible = false;
    bool confirm = false;
    TShowTextForm::Encoding encoding = TShowTextForm::Encoding::Utf8;
    modal.next([&](QWidget* w) {
        auto* form = dynamic_cast<TSelVarForm*>(w);
        ASSERT_NE(form, nullptr);
        form->ListBox1->item(1)->setSelected(true);
        modal.next([&](QWidget* v) {
            auto* viewer = dynamic_cast<TShowTextForm*>(v);
            ASSERT_NE(viewer, nullptr);
            caption = viewer->windowTitle();
            lines = viewer->lines();
            exportVisible = viewer->Button2->isVisible();
            confirm = viewer->overwriteConfirmation;
            encoding = viewer->exportEncoding;
            exportName = viewer->exportFileName;
            viewer->close();
        });
        QTest::mouseClick(form->Button1, Qt::LeftButton);
    });
    context.significantDigits = 4;
    showResultTables(context, true);
    EXPECT_EQ(modal.seen, 2);
    EXPECT_EQ(caption, QStringLiteral("Result : beam.MV3"));
    EXPECT_TRUE(exportVisible);
    EXPECT_TRUE(confirm);
    EXPECT_EQ(encoding, TShowTextForm::Encoding::Ansi);
    // The incomplete result exports under the same name as the complete one.
    EXPECT_EQ(exportName, path(QStringLiteral("beam.M3TXT")));

    RResultHolder expected;
    expected.selectedVariables = {2};
    ASSERT_EQ(LoadResultFile(expected, *doc, path(QStringLiteral("beam.MVO3$"))), ResultLoaded);
    QStringList table;
    ResultTextOut(table, expected, *doc, 4);
    ASSERT_GT(table.size(), 3);
    EXPECT_EQ(lines, table);
}

TEST_F(ResultCommands, ShowResultWithNothingSelectedLoadsNothing)
{
    QFile::copy(resultData(QStringLiteral("line.MVO3")), path(QStringLiteral("beam.MVO3")));
    modal.next([&](QWidget* w) {
        auto* form = dynamic_cast<TSelVarForm*>(w);
        ASSERT_NE(form, nullptr);
        QTest::mouseClick(form->Button1, Qt::LeftButton);
    });
    showResultTables(context, false);
    EXPECT_EQ(modal.seen, 1);
    EXPECT_TRUE(holder.result.variableTimes.empty());
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST_F(ResultCommands, PlotStartsTheSettingsCommandOnThePlotFile)
{
    writeFile(path(QStringLiteral("beam.MVO3")), "abc");
    const QString record = path(QStringLiteral("arguments.txt"));
    const QString plotter = path(QStringLiteral("plotter.sh"));
    writeFile(plotter, QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" > \"%1.tmp\"\nmv \"%1.tmp\" \"%1\"\n")
                           .arg(record)
                           .toUtf8());
    QFile::setPermissions(plotter, QFile::permissions(plotter) | QFileDevice::ExeOwner);
    QSettings(QStringLiteral("Vesko"), QStringLiteral("MORV3")).setValue(QStringLiteral("KurvoCommand"), plotter);

    QString plotFile;
    plotResult(context, false, plotFile);
    EXPECT_EQ(plotFile, path(QStringLiteral("beam_MV3.Kurvo")));
    EXPECT_TRUE(QFile::exists(plotFile));
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(record) && !deadline.hasExpired())
        QThread::msleep(20);
    QFile file(record);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), plotFile + u'|');
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.urls.isEmpty());
}

TEST_F(ResultCommands, PlotWithoutAPlottingProgramOrWithoutAFile)
{
    // No command and no desktop handler for the plot file's type.
    writeFile(path(QStringLiteral("beam.MVO3")), "abc");
    QString plotFile;
    plotResult(context, false, plotFile);
    EXPECT_TRUE(QFile::exists(plotFile));
    EXPECT_EQ(ui.messages, QStringList({"Kurvo has NOT been installed."}));

    // A command that cannot be started.
    ui.messages.clear();
    QSettings(QStringLiteral("Vesko"), QStringLiteral("MORV3"))
        .setValue(QStringLiteral("KurvoCommand"), path(QStringLiteral("missing plotter")));
    plotResult(context, false, plotFile);
    EXPECT_EQ(ui.messages, QStringList({"Kurvo has NOT been installed."}));

    // Guards against starting the plotting program when the file could not be written.
    ui.messages.clear();
    plotResult(context, true, plotFile); // there is no incomplete result
    EXPECT_EQ(sink.messages, QStringList({"Unable to write Kurvo file"}));
    EXPECT_TRUE(ui.messages.isEmpty());
}
