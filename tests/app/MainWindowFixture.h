#pragma once
// A main window started in a throw-away world: its own documents folder, its own settings
// file, and a scripted user interface that answers the questions and file dialogs.
#include "tests/widgets/ScriptedUserInterface.h"
#include "widgets/RExtraMemo.h"
#include "app/TMORVMain.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

struct MainWindowFixture {
    MainWindowFixture()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, tmp.filePath("settings"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, tmp.filePath("settings"));
        ui.documents = tmp.filePath("home/Documents");
    }

    // The window after its start-up; false when the start-up ended the program.
    bool start(const QStringList& arguments = {})
    {
        window = std::make_unique<TMORVMain>();
        return window->startup(arguments);
    }

    QString dataFolder() const { return ui.documents + "/MORV/"; }
    QString path(const QString& name) const { return tmp.filePath(name); }

    // A document file whose INITIAL section holds `initial`.
    QString writeDocument(const QString& name, const QStringList& initial, int parmt = 0) const
    {
        RMORVDocument doc;
        doc.scripts[RMORVDocument::Initial] = initial;
        doc.compiler->control->PARMT = parmt;
        const QString file = name.startsWith('/') ? name : tmp.filePath(name);
        QDir().mkpath(QFileInfo(file).absolutePath());
        EXPECT_EQ(doc.savefile(file), 0);
        return file;
    }

    static void writeText(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    RExtraMemo* initial() const { return window->editor(RMORVDocument::Initial); }

    QTemporaryDir tmp;
    ScriptedUserInterface ui;
    std::unique_ptr<TMORVMain> window;
};
