#pragma once
#include <QMessageBox>
#include <QString>
#include <QUrl>

class QWidget;

// Everything a window asks of the user or of the desktop goes through one object: modal
// message boxes, questions, the open and save file dialogs and opening files or addresses
// with the desktop's handler. The program uses the interactive implementation; window tests
// install one that answers from a script and records what was shown.
class RUserInterface {
public:
    virtual ~RUserInterface() = default;

    // A plain modal message box with an OK button.
    virtual void message(QWidget* parent, const QString& text, const QString& title) = 0;
    // A modal question; returns the button pressed (one of `buttons`).
    virtual QMessageBox::StandardButton question(QWidget* parent, const QString& text,
        const QString& title, QMessageBox::StandardButtons buttons) = 0;
    // The chosen existing file, or an empty string on Cancel.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
        const QString& filter) = 0;
    // The chosen file to write, or an empty string on Cancel. `defaultSuffix` (no dot) is
    // added to a name typed without one; an existing file is confirmed before it is chosen.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
        const QString& filter, const QString& defaultSuffix) = 0;
    // Asks the desktop to open a local file or an address; false when it cannot.
    virtual bool openUrl(const QUrl& url) = 0;
    // The user's documents folder (no trailing '/'), or empty when there is none.
    virtual QString documentsFolder() = 0;
};

// The implementation in use; the interactive one unless a test installed its own.
RUserInterface& userInterface();
// Installs `ui` (not owned); null restores the interactive implementation.
void setUserInterface(RUserInterface* ui);

// Shorthands used by the windows.
void showMessage(QWidget* parent, const QString& text, const QString& title = QString());
QMessageBox::StandardButton askQuestion(QWidget* parent, const QString& text,
    const QString& title, QMessageBox::StandardButtons buttons);

// Routes the widget-free code's messages (document/RMessages.h) to modal boxes.
void installMessageBoxSink();
