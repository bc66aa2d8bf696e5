#include "analysis/widgets/AnalysisGroup.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeySequence>
#include <QSettings>
#include <QShortcut>

namespace {

// Two rows, like the Display frame beside it.
constexpr int kRows = 2;

QString viewKey(const QString& name)
{
    return QStringLiteral("views/") + name;
}

// Unticks the box when its view is closed from its own title bar.
class CloseWatcher : public QObject {
public:
    CloseWatcher(QCheckBox* box, QObject* parent) : QObject(parent), m_box(box) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close)
            m_box->setChecked(false);
        return QObject::eventFilter(watched, event);
    }

private:
    QCheckBox* m_box;
};

} // namespace

AnalysisGroup::AnalysisGroup(QWidget* window, QString configFile, QWidget* parent)
    : QGroupBox(QStringLiteral(" 解析 "), parent), m_window(window), m_configFile(std::move(configFile)),
      m_boxes(new QGridLayout(this))
{
    setObjectName(QStringLiteral("AnalysisGroup"));
}

QCheckBox* AnalysisGroup::addView(const QString& name, const QString& caption, const QKeySequence& shortcut,
                                  QWidget* view)
{
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(name);
    box->setToolTip(QStringLiteral("%1を開く・閉じる (%2)").arg(caption, shortcut.toString(QKeySequence::NativeText)));
    const int index = m_boxes->count();
    m_boxes->addWidget(box, index % kRows, index / kRows);
    view->installEventFilter(new CloseWatcher(box, view));
    connect(box, &QCheckBox::toggled, this, [this, name, view](bool open) {
        view->setVisible(open);
        if (open)
            view->raise();
        remember(name, open);
    });
    auto* key = new QShortcut(shortcut, m_window);
    connect(key, &QShortcut::activated, box, &QCheckBox::toggle);
    return box;
}

void AnalysisGroup::showEvent(QShowEvent* event)
{
    QGroupBox::showEvent(event);
    if (m_restored || m_configFile.isEmpty())
        return;
    m_restored = true;
    const QSettings config(m_configFile, QSettings::IniFormat);
    for (QCheckBox* box : findChildren<QCheckBox*>())
        if (config.value(viewKey(box->objectName())).toBool())
            box->setChecked(true);
}

void AnalysisGroup::remember(const QString& name, bool open)
{
    if (m_configFile.isEmpty())
        return;
    QSettings config(m_configFile, QSettings::IniFormat);
    config.setValue(viewKey(name), open);
}
