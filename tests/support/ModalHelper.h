#pragma once
// Answers the next modal dialog that opens: waits for it, then runs act on it (which
// should close it). Used where a command under test calls exec() on a dialog.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

inline void whenModalOpens(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}
