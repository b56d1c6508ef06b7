#include "widgets/RUserInterface.h"

#include "document/RMessages.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QStandardPaths>
#include <QWidget>

namespace {

class RInteractiveUserInterface final : public RUserInterface {
public:
    void message(QWidget* parent, const QString& text, const QString& title) override
    {
        QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? caption() : title, text,
            QMessageBox::Ok, parent);
        box.exec();
    }

    QMessageBox::StandardButton question(QWidget* parent, const QString& text,
        const QString& title, QMessageBox::StandardButtons buttons) override
    {
        QMessageBox box(QMessageBox::Question, title, text, buttons, parent);
        const int answer = box.exec();
        // Closing the box by its title bar or Escape counts as its escape button.
        return static_cast<QMessageBox::StandardButton>(answer);
    }

    QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
        const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    }

    QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
        const QString& filter, const QString& defaultSuffix) override
    {
        QFileDialog dialog(parent, caption, dir, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().first();
    }

    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }

    QString documentsFolder() override
    {
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }

private:
    static QString caption() { return QStringLiteral("MORV"); }
};

RInteractiveUserInterface g_interactive;
RUserInterface* g_current = nullptr;

class RMessageBoxSink final : public RMessageSink {
public:
    void message(MessageKind, const QString& text) override
    {
        showMessage(QApplication::activeWindow(), text);
    }
};

RMessageBoxSink g_boxSink;

} // namespace

RUserInterface& userInterface()
{
    return g_current ? *g_current : g_interactive;
}

void setUserInterface(RUserInterface* ui)
{
    g_current = ui;
}

void showMessage(QWidget* parent, const QString& text, const QString& title)
{
    userInterface().message(parent, text, title);
}

QMessageBox::StandardButton askQuestion(QWidget* parent, const QString& text,
    const QString& title, QMessageBox::StandardButtons buttons)
{
    return userInterface().question(parent, text, title, buttons);
}

void installMessageBoxSink()
{
    setMessageSink(&g_boxSink);
}
