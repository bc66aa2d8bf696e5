#pragma once
// Every modal question, message and common dialog of the program goes through this
// interface, so tests can answer them by script. QtPrompts shows the real dialogs.

#include <QColor>
#include <QMessageBox>
#include <QString>
#include <optional>

class QWidget;

class Prompts {
public:
    virtual ~Prompts() = default;

    // A message box; returns the button pressed (or the escape button's answer).
    // An empty caption means the application's title. The text is shown as plain text.
    virtual QMessageBox::StandardButton ask(QWidget* parent, const QString& caption, const QString& text,
                                            QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) = 0;

    // File dialogs; nullopt when cancelled. filter uses Qt's ";;" separated form;
    // selectedFilter is the 0-based entry shown first.
    virtual std::optional<QString> openFileName(QWidget* parent, const QString& title, const QString& filter,
                                                int selectedFilter) = 0;
    // Save also says under which 0-based filter entry the name was given.
    struct SaveName {
        QString path;
        int filter = 0;
    };
    virtual std::optional<SaveName> saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                                 int selectedFilter) = 0;

    // The colour dialog; nullopt when cancelled.
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QString& title) = 0;

    virtual void beep() = 0;

    // A warning with OK and one more button captioned action (a way to do something about
    // it); true when that button was pressed.
    virtual bool tellOrAct(QWidget* parent, const QString& caption, const QString& text, const QString& action) = 0;

    // Convenience for a plain OK message.
    void tell(QWidget* parent, const QString& caption, const QString& text,
              QMessageBox::Icon icon = QMessageBox::Warning)
    {
        ask(parent, caption, text, icon, QMessageBox::Ok, QMessageBox::Ok);
    }
};

// The real dialogs.
class QtPrompts final : public Prompts {
public:
    QMessageBox::StandardButton ask(QWidget* parent, const QString& caption, const QString& text,
                                    QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override;
    std::optional<QString> openFileName(QWidget* parent, const QString& title, const QString& filter,
                                        int selectedFilter) override;
    std::optional<SaveName> saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                         int selectedFilter) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QString& title) override;
    void beep() override;
    bool tellOrAct(QWidget* parent, const QString& caption, const QString& text, const QString& action) override;
};
