#pragma once
// A main window's wave part with the 解析 group beside it, on a fresh document, shown.

#include "app/AnalysisViews.h"
#include "document/ReferenceSet.h"
#include "document/WaveDocument.h"
#include "support/ScriptedPrompts.h"
#include "wave/widgets/WaveDisplay.h"
#include "wave/widgets/WaveWindow.h"

#include <QTest>
#include <QVBoxLayout>

struct AnalysisWindow {
    WaveDocument document;
    ReferenceSet references;
    ScriptedPrompts prompts;
    QWidget window;
    WaveDisplay* display;

    // configFile: where the views remember their state; withGroup false: the wave part alone.
    explicit AnalysisWindow(const QString& configFile = {}, bool withGroup = true) : display(new WaveDisplay(document, &window))
    {
        (new QVBoxLayout(&window))->addWidget(display);
        if (withGroup)
            AddAnalysisViews(window, document, *display, references, prompts, configFile);
        window.resize(1040, 500);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("window not shown");
    }
};
