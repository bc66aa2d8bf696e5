#pragma once
// The print-setup dialog answered by script: each answer plays the user's part in one
// dialog; no answer left means Cancel. Every title shown is recorded.

#include "print/PrintDialogRunner.h"

#include <QPrinter>
#include <QStringList>
#include <deque>
#include <functional>

class ScriptedPrintDialog final : public PrintDialogRunner {
public:
    std::deque<std::function<bool(QPrinter&)>> answers;
    QStringList titles;

    bool run(QWidget*, QPrinter& printer, const QString& title) override
    {
        titles.append(title);
        if (answers.empty())
            return false;
        auto answer = std::move(answers.front());
        answers.pop_front();
        return answer(printer);
    }
};
