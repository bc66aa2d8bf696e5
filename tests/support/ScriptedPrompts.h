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
    struct FileDialog {
        bool save;
        QString title;
        QString filter;
        int selectedFilter;
    };

    std::deque<QMessageBox::StandardButton> answers;   // empty: the default button
    std::deque<std::optional<QString>> fileNames;      // empty: cancelled
    std::deque<std::optional<QColor>> colors;          // empty: cancelled

    QList<Asked> asked;
    QList<FileDialog> fileDialogs;
    QStringList colorTitles;
    int beeps = 0;

    QMessageBox::StandardButton ask(QWidget*, const QString& caption, const QString& text, QMessageBox::Icon icon,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override
    {
        asked.append({caption, text, icon, buttons, defaultButton});
        return take(answers, defaultButton);
    }
    std::optional<QString> openFileName(QWidget*, const QString& title, const QString& filter,
                                        int selectedFilter) override
    {
        fileDialogs.append({false, title, filter, selectedFilter});
        return take(fileNames);
    }
    std::optional<QString> saveFileName(QWidget*, const QString& title, const QString& filter,
                                        int selectedFilter) override
    {
        fileDialogs.append({true, title, filter, selectedFilter});
        return take(fileNames);
    }
    std::optional<QColor> chooseColor(QWidget*, const QString& title) override
    {
        colorTitles.append(title);
        return take(colors);
    }
    void beep() override { ++beeps; }

private:
    static QMessageBox::StandardButton take(std::deque<QMessageBox::StandardButton>& queue,
                                            QMessageBox::StandardButton fallback)
    {
        if (queue.empty())
            return fallback;
        const QMessageBox::StandardButton front = queue.front();
        queue.pop_front();
        return front;
    }
    // An empty queue answers as a cancelled dialog.
    template <typename T>
    static std::optional<T> take(std::deque<std::optional<T>>& queue)
    {
        std::optional<T> front;
        if (!queue.empty()) {
            front.swap(queue.front());
            queue.pop_front();
        }
        return front;
    }
};
