#pragma once
// The " 解析 " group beside the Display frame: one check box for each view of the program's
// own (the measurement panel and the views beside it), each also toggled by a keyboard
// shortcut. A view is a window of its own: its box shows whether it is open. Whether it was
// open is kept in the user's configuration and restored when the main window first shows.

#include <QGroupBox>
#include <QString>

class QCheckBox;
class QGridLayout;
class QKeySequence;

class AnalysisGroup : public QGroupBox {
    Q_OBJECT
public:
    // window: the main window, where the shortcuts act. configFile: the user's configuration
    // (QSettings, INI format); empty: nothing is remembered.
    AnalysisGroup(QWidget* window, QString configFile, QWidget* parent = nullptr);

    // A box `caption` (objectName `name`, also its key in the configuration) that opens and
    // closes `view`, and `shortcut` doing the same from anywhere in the main window.
    QCheckBox* addView(const QString& name, const QString& caption, const QKeySequence& shortcut, QWidget* view);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void remember(const QString& name, bool open);

    QWidget* m_window;
    QString m_configFile;
    QGridLayout* m_boxes;
    bool m_restored = false;
};
