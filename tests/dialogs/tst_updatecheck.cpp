// The About box, the update check against a download page in a local folder, and the
// release note.
#include "tests/widgets/ModalAnswer.h"
#include "tests/widgets/ScriptedUserInterface.h"
#include "dialogs/TCheckUpdateForm.h"
#include "dialogs/TReleaseNoteForm.h"
#include "dialogs/TVersionInfoForm.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct Site {
    void page(const char* name, const QString& text)
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }
    QUrl url() const { return QUrl::fromLocalFile(dir.path() + "/"); }
    QTemporaryDir dir;
};

const char* const archivePage =
    R"(<html><body><a href="Resources/MORV3_Setup_03010006.zip">3.1.0.6</a>
       <A HREF="RESOURCES/morv3_setup_03020001.ZIP">3.2.0.1</A>
       <a href="Resources/MORV3_Setup_03010100.zip">3.1.1.0</a></body></html>)";

// Shows the check and waits for its verdict.
void runCheck(TCheckUpdateForm& form)
{
    QSignalSpy spy(&form, &TCheckUpdateForm::evaluated);
    form.show();
    ASSERT_TRUE(spy.count() > 0 || spy.wait(5000));
}

} // namespace

TEST(AboutBox, VersionAndWebsite)
{
    ScriptedUserInterface ui;
    TVersionInfoForm form(nullptr, QUrl("https://site.example/morv/"), 3010006);
    form.show();
    EXPECT_EQ(form.windowTitle(), "About MORV");
    EXPECT_EQ(form.Label3->text(), "Version 3.1.0.6");
    form.LinkLabel1LinkClick();
    EXPECT_EQ(ui.urls, QStringList{"https://site.example/morv/"});
}

TEST(UpdateCheck, NewerArchiveOffersTheDownload)
{
    ScriptedUserInterface ui;
    Site site;
    site.page("archive.html", archivePage);
    TCheckUpdateForm form(nullptr, site.url(), 3010006);
    runCheck(form);
    EXPECT_EQ(form.windowTitle(), "Current Version 3.1.0(06)");
    EXPECT_EQ(form.Label1->text(), "Version 3.2.0(01) available");
    EXPECT_EQ(form.SpeedButton1->text(), "Download now");
    EXPECT_TRUE(form.SpeedButton1->isEnabled());
    form.SpeedButton1->click();
    ASSERT_EQ(ui.urls.size(), 1);
    EXPECT_EQ(ui.urls[0], site.url().toString() + "Resources/MORV3_Setup_03020001.zip");
    // A later completion (a frame, the download) changes nothing.
    form.WebBrowser1DocumentComplete("");
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form.Label1->text(), "Version 3.2.0(01) available");
}

TEST(UpdateCheck, LatestVersionNeedsNoUpdate)
{
    ScriptedUserInterface ui;
    Site site;
    site.page("archive.html", archivePage);
    TCheckUpdateForm form(nullptr, site.url(), 3020001);
    runCheck(form);
    EXPECT_EQ(form.Label1->text(), "Version 3.2.0(01) is the Latest.");
    EXPECT_EQ(form.SpeedButton1->text(), "No need to update");
    EXPECT_FALSE(form.SpeedButton1->isEnabled());
}

TEST(UpdateCheck, NoPageEndsWithSorry)
{
    for (bool pageWithoutLinks : {false, true}) {
        ScriptedUserInterface ui;
        Site site;
        if (pageWithoutLinks)
            site.page("archive.html", "<html>maintenance</html>");
        TCheckUpdateForm form(nullptr, site.url(), 3010006);
        runCheck(form);
        EXPECT_EQ(ui.messages, QStringList{"Sorry, try later"});
        EXPECT_EQ(form.SpeedButton1->text(), "Network trouble");
        EXPECT_FALSE(form.SpeedButton1->isEnabled());
        EXPECT_TRUE(form.Label1->text().isEmpty());
    }
}

TEST(UpdateCheck, OnlyCloseEndsIt)
{
    ScriptedUserInterface ui;
    Site site;
    site.page("archive.html", archivePage);
    TCheckUpdateForm form(nullptr, site.url(), 3010006);
    runCheck(form);
    form.reject();
    EXPECT_TRUE(form.isVisible());
    form.SpeedButton3->click();
    EXPECT_FALSE(form.isVisible());
}

TEST(UpdateCheck, ReleaseNote)
{
    Site site;
    site.page("MORV3_release_note.html", "<html><body><h1>Release 3.2</h1><p>Faster meshes.</p></body></html>");
    TReleaseNoteForm form(nullptr, site.url());
    QSignalSpy spy(&form, &TReleaseNoteForm::loaded);
    form.show();
    ASSERT_TRUE(spy.count() > 0 || spy.wait(5000));
    EXPECT_EQ(form.windowTitle(), "MORV release note");
    EXPECT_TRUE(form.WebBrowser1->toPlainText().contains("Faster meshes."));
}
