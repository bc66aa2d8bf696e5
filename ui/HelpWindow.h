#pragma once
// The user's guide in a window of the program, for a desktop where no browser takes it.
// Links between the guide's pages are followed inside the window; other links go to the
// desktop.

#include <QWidget>

class QTextBrowser;

class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the page file (an HTML page of the guide) and brings the window up.
    void showGuide(const QString& file);

private:
    QTextBrowser* m_browser = nullptr;
};
