// The program's set-up as the windows see it: the settings' names and the captions that reach
// the window system.
#include "MainWindowFixture.h"
#include "app/RApplicationSetup.h"
#include "document/RMessages.h"
#include "tests/widgets/ModalAnswer.h"

#include <QAction>
#include <QGuiApplication>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// The application display name, or an empty string while none is set (the name then falls
// back to the application name, which a probe name shows).
QString displayName()
{
    const QString name = QCoreApplication::applicationName();
    const QString probe = QStringLiteral("caption probe");
    QCoreApplication::setApplicationName(probe);
    const QString shown = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(name);
    return shown == probe ? QString() : shown;
}

// The caption the window system gets for a shown window. QWindow::title() keeps the caption as
// given; Qt's desktop platforms append " — " and the display name once one is set.
QString systemCaption(const QWidget* window)
{
    const QString title = window->windowHandle() ? window->windowHandle()->title() : QString();
    const QString name = displayName();
    return name.isEmpty() || title.endsWith(name) ? title : title + QStringLiteral(" \u2014 ") + name;
}

} // namespace

// Guards against every caption reaching the desktop with the program's name appended
// ("Untitled — MORV", "Preference — MORV").
TEST(ApplicationSetup, WindowSystemGetsTheCaptionsAsGiven)
{
    setUpApplication();
    EXPECT_EQ(QCoreApplication::organizationName(), "Vesko");
    EXPECT_EQ(QCoreApplication::applicationName(), "MORV3");
    {
        MainWindowFixture f;
        ASSERT_TRUE(f.start());
        f.window->show();
        EXPECT_EQ(systemCaption(f.window.get()).toStdString(), "Untitled");

        const struct {
            const char* item;
            const char* caption;
        } dialogs[] = {{"Preference1", "Preference"}, {"SetControldata1", "Control data : Untitled"}};
        for (const auto& d : dialogs) {
            QString caption;
            answerNextModal([&caption](QWidget* modal) {
                caption = systemCaption(modal);
                modal->close();
            });
            f.window->menuItem(QString::fromLatin1(d.item))->trigger();
            EXPECT_EQ(caption.toStdString(), d.caption) << d.item;
        }
    }
    // The program's message boxes would outlive the fixture's scripted answers.
    setMessageSink(nullptr);
}
