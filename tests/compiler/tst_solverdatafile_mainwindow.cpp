// Run > Compile and File > Export > Temporary file of the main window.
#include "compiler/TForm10.h"
#include "compiler/TForm12.h"
#include "tests/app/MainWindowFixture.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTimer>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Clicks `button` of the modal window of type W once `ready` holds for it.
template <typename W>
void whenModal(std::function<bool(W*)> ready, std::function<QPushButton*(W*)> button, QString* title)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [=] {
        auto* w = dynamic_cast<W*>(QApplication::activeModalWidget());
        if (!w || !ready(w))
            return;
        *title = w->windowTitle();
        timer->stop();
        timer->deleteLater();
        button(w)->click();
    });
    timer->start(20);
}

TEST(MainWindowCompile, CompileShowListAndExport)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    const QString doc = f.path("nogrid.MV3");
    ASSERT_TRUE(QFile::copy(QStringLiteral(MORV_TEST_DATA "/compiler/data/datafile/nogrid.MV3"), doc));
    f.ui.files.push_back(doc);
    w.Open1Click();
    ASSERT_EQ(w.document().compileState, 2);

    QString title;
    whenModal<TForm10>([](TForm10* t) { return t->Button1->isEnabled(); }, [](TForm10* t) { return t->Button1; },
                       &title);
    w.Compile1Click();
    EXPECT_EQ(title, QStringLiteral("Compile Log : nogrid.MV3"));
    EXPECT_EQ(w.document().compileState, 0);
    EXPECT_EQ(readAll(f.path("nogrid.MVAT$")), readAll(QStringLiteral(MORV_TEST_DATA "/compiler/data/datafile/nogrid.DAT")));

    whenModal<TForm12>([](TForm12*) { return true; }, [](TForm12* t) { return t->Button2; }, &title);
    w.Compile1Click();
    EXPECT_EQ(title, QStringLiteral("Compile list : nogrid.MV3"));

    const QString exported = f.path("copy.DAT");
    f.ui.files.push_back(exported);
    w.Temporaryfile1Click();
    EXPECT_EQ(f.ui.messages.last(), QStringLiteral("Completed"));
    EXPECT_EQ(readAll(exported), readAll(f.path("nogrid.MVAT$")));
}

} // namespace
