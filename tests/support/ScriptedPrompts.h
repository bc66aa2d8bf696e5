#pragma once
// A Prompts double for tests: answers come from queues filled by the test, and every
// call is recorded so the test can check captions, texts, icons and buttons.

#include "ui/Prompts.h"

#include <QList>
#include <deque>

class ScriptedPrompts : public Prompts {
public:
    struct Asked {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };
    std::deque<QMessageBox::StandardButton> answers;   // empty: the default button
    std::deque<std::optional<QString>> fileNames;      // empty: cancelled
    std::deque<int> saveFilters;                       // the filter entry of each Save; empty: 0
    std::deque<std::optional<QColor>> colors;          // empty: cancelled

    QList<Asked> asked;
    QList<bool> fileDialogs;                           // each file dialog shown: true for Save
    QStringList colorTitles;
    QStringList actions;                               // the extra button of each tellOrAct
    int beeps = 0;

    QMessageBox::StandardButton ask(QWidget*, const QString& caption, const QString& text, QMessageBox::Icon icon,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override
    {
        asked.append({caption, text, icon, buttons, defaultButton});
        return take(answers, defaultButton);
    }
    std::optional<QString> openFileName(QWidget*, const QString&, const QString&, int) override
    {
        fileDialogs.append(false);
        return take(fileNames);
    }
    std::optional<SaveName> saveFileName(QWidget*, const QString&, const QString&, int) override
    {
        fileDialogs.append(true);
        const std::optional<QString> path = take(fileNames);
        const int filter = take(saveFilters, 0);
        if (!path)
            return std::nullopt;
        return SaveName{*path, filter};
    }
    std::optional<QColor> chooseColor(QWidget*, const QString& title) override
    {
        colorTitles.append(title);
        return take(colors);
    }
    void beep() override { ++beeps; }
    // Recorded as a message with OK and Help; an answer of Help presses the action button.
    bool tellOrAct(QWidget*, const QString& caption, const QString& text, const QString& action) override
    {
        asked.append({caption, text, QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Help, QMessageBox::Ok});
        actions.append(action);
        return take(answers, QMessageBox::Ok) == QMessageBox::Help;
    }

private:
    // An empty queue gives the fallback: the default button, or a cancelled dialog.
    template <typename T>
    static T take(std::deque<T>& queue, T fallback = {})
    {
        if (!queue.empty()) {
            std::swap(fallback, queue.front());
            queue.pop_front();
        }
        return fallback;
    }
};
