#pragma once
// Answers the next modal window a test's action opens: the handler runs inside that
// window's event loop, sees the window, and should close it.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

inline void answerNextModal(std::function<void(QWidget*)> handler, int attempts = 50)
{
    QTimer::singleShot(0, qApp, [handler, attempts] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            handler(modal);
            return;
        }
        if (attempts > 0)
            answerNextModal(handler, attempts - 1);
    });
}
