#include "app/AnalysisViews.h"

#include "analysis/widgets/AnalysisGroup.h"
#include "analysis/widgets/MeasurementPanel.h"
#include "analysis/widgets/ReferencePanel.h"
#include "analysis/widgets/SpectrumView.h"
#include "document/ReferenceSet.h"
#include "logger/widgets/LoggerView.h"
#include "wave/widgets/WaveDisplay.h"

#include <QKeySequence>
#include <QShortcut>

AnalysisGroup* AddAnalysisViews(QWidget& window, WaveDocument& document, WaveDisplay& display,
                                ReferenceSet& references, Prompts& prompts, const QString& configFile)
{
    auto* group = new AnalysisGroup(&window, configFile, &display);
    auto* measurements = new MeasurementPanel(document, display, &window);
    measurements->showDeviations(references);
    group->addView(QStringLiteral("MeasureView"), QStringLiteral("測定"), QKeySequence(Qt::CTRL | Qt::Key_M), measurements);
    auto* referencePanel = new ReferencePanel(document, references, prompts, &window);
    group->addView(QStringLiteral("ReferenceView"), QStringLiteral("参照"), QKeySequence(Qt::CTRL | Qt::Key_R),
                   referencePanel);
    // Alt+1 to Alt+4 keep the waveform shown as R1 to R4, the panel open or not.
    for (int slot = 0; slot < ReferenceSet::kCount; ++slot) {
        auto* keep = new QShortcut(QKeyCombination(Qt::AltModifier, Qt::Key(Qt::Key_1 + slot)), &window);
        QObject::connect(keep, &QShortcut::activated, referencePanel, [referencePanel, slot] { referencePanel->keepCurrent(slot); });
    }
    group->addView(QStringLiteral("SpectrumView"), QStringLiteral("FFT"), QKeySequence(Qt::CTRL | Qt::Key_F),
                   new SpectrumView(document, display, configFile, &window));
    display.addBesideDisplay(group);
    return group;
}

void AddLoggerView(AnalysisGroup& group, QWidget& window, LogSession& session, WaveDocument& document,
                   const ReferenceSet& references, const std::array<QColor, 2>& colours, const QString& configFile,
                   const std::function<void(const QString&)>& showStatus)
{
    // A run started with a reference chosen and a tolerance set judges every capture
    // against that reference as it is then.
    const auto referenceForRun = [&references]() -> std::optional<LogReference> {
        auto verdict = references.fixedVerdict();
        if (!verdict)
            return std::nullopt;
        return LogReference{ReferenceSet::name(references.chosen()), std::move(verdict)};
    };
    auto* view = new LoggerView(session, document, colours, configFile, referenceForRun, &window);
    QObject::connect(view, &LoggerView::statusChanged, view, showStatus);
    group.addView(QStringLiteral("LoggerView"), QStringLiteral("記録"), QKeySequence(Qt::CTRL | Qt::Key_L), view);
}
