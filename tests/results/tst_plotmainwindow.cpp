#include "results/PlotDescriptionFile.h"
#include "tests/app/MainWindowFixture.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QAction* item(TMORVMain& w, const char* name)
{
    QAction* a = w.menuItem(QString::fromLatin1(name));
    EXPECT_NE(a, nullptr) << name;
    return a;
}

// A document in time with one variable and its complete result beside it.
void prepareDocument(MainWindowFixture& f)
{
    RMORVDocument& d = f.window->document();
    d.documentFolder = f.tmp.path() + u'/';
    d.documentFileName = QStringLiteral("r.MV3");
    d.named = true;
    SControlData& c = *d.compiler->control;
    c.PARMT = 1;
    c.variableCount = 1;
    d.compiler->symbols->variableNames = {QStringLiteral("U")};
    d.compiler->symbols->variableAttributes = {0};
    MainWindowFixture::writeText(f.path(QStringLiteral("r.MVO3")), "abc");
}

} // namespace

TEST(ResultMenuPlot, KurvoStartsThePlottingProgramOfTheSettings)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    prepareDocument(f);
    TMORVMain& w = *f.window;

    // No plotting program: the command is not offered and does nothing.
    w.Result1Click();
    EXPECT_FALSE(item(w, "Kurvo1")->isEnabled());
    w.Kurvo1Click();
    EXPECT_FALSE(QFile::exists(f.path(QStringLiteral("r_MV3.Kurvo"))));

    const QString record = f.path(QStringLiteral("arguments.txt"));
    const QString plotter = f.path(QStringLiteral("plotter.sh"));
    MainWindowFixture::writeText(plotter,
        QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" > \"%1.tmp\"\nmv \"%1.tmp\" \"%1\"\n")
            .arg(record)
            .toUtf8());
    QFile::setPermissions(plotter, QFile::permissions(plotter) | QFileDevice::ExeOwner);
    QSettings(QStringLiteral("Vesko"), QStringLiteral("MORV3")).setValue(QStringLiteral("KurvoCommand"), plotter);

    w.Result1Click();
    ASSERT_TRUE(item(w, "Kurvo1")->isEnabled());
    EXPECT_FALSE(item(w, "Kurvo2")->isEnabled());
    item(w, "Kurvo1")->trigger();
    const QString plotFile = f.path(QStringLiteral("r_MV3.Kurvo"));
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(record) && !deadline.hasExpired())
        QThread::msleep(20);
    QFile file(record);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), plotFile + u'|');
    int nVar = 0, nSub = 0, twoGrid = 0;
    QString varAttr, subAttr;
    EXPECT_EQ(GetCreatorBlock(plotFile, nVar, nSub, twoGrid, varAttr, subAttr), 1);
    EXPECT_EQ(nVar, 1);
    EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join(u'|').toStdString();
}
