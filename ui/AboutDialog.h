#pragma once
// frmAbout: the version window. Created anew at each opening; it beeps when it opens
// and keeps nothing.

#include <QDialog>

class Prompts;

class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(Prompts& prompts, QWidget* parent = nullptr);
};
