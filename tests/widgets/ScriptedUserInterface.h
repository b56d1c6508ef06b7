#pragma once
// A user-interface seam for window tests: records every message and question, answers
// questions and file dialogs from queues, and fails loudly when a dialog is not expected.
#include "widgets/RUserInterface.h"

#include <QStringList>
#include <deque>
#include <gtest/gtest.h>

class ScriptedUserInterface : public RUserInterface {
public:
    ScriptedUserInterface() { setUserInterface(this); }
    ~ScriptedUserInterface() override { setUserInterface(nullptr); }

    void message(QWidget*, const QString& text, const QString&) override
    {
        messages << text;
    }

    QMessageBox::StandardButton question(QWidget*, const QString& text, const QString& title,
        QMessageBox::StandardButtons) override
    {
        questions << title + QStringLiteral(": ") + text;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return QMessageBox::Cancel;
        }
        const QMessageBox::StandardButton answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QString openFileName(QWidget*, const QString&, const QString&, const QString& filter) override
    {
        filters << filter;
        return nextFile("open");
    }

    QString saveFileName(QWidget*, const QString&, const QString& dir, const QString& filter,
        const QString&) override
    {
        filters << filter;
        saveDirs << dir;
        return nextFile("save");
    }

    bool openUrl(const QUrl& url) override
    {
        urls << url.toString();
        return urlResult;
    }

    QString documentsFolder() override { return documents; }

    QString documents;
    QStringList messages;
    QStringList questions;
    QStringList filters;
    QStringList saveDirs;
    QStringList urls;
    std::deque<QMessageBox::StandardButton> answers;
    // An empty entry answers Cancel.
    std::deque<QString> files;
    bool urlResult = true;

private:
    QString nextFile(const char* kind)
    {
        if (files.empty()) {
            ADD_FAILURE() << "unexpected " << kind << " file dialog";
            return QString();
        }
        const QString file = files.front();
        files.pop_front();
        return file;
    }
};
