#include "app/AnalysisViews.h"

#include "analysis/widgets/AnalysisGroup.h"
#include "analysis/widgets/MeasurementPanel.h"
#include "wave/widgets/WaveDisplay.h"

#include <QKeySequence>

void AddAnalysisViews(QWidget& window, WaveDocument& document, WaveDisplay& display, const QString& configFile)
{
    auto* group = new AnalysisGroup(&window, configFile, &display);
    group->addView(QStringLiteral("MeasureView"), QStringLiteral("測定"), QKeySequence(Qt::CTRL | Qt::Key_M),
                   new MeasurementPanel(document, display, &window));
    display.addBesideDisplay(group);
}
