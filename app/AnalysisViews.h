#pragma once
// The " 解析 " group beside the Display frame and the views it opens, built for the main
// window. A new view is one more addView call in AnalysisViews.cpp.

class Prompts;
class QString;
class QWidget;
class ReferenceSet;
class WaveDisplay;
class WaveDocument;

// configFile: where the open views are remembered; empty: nowhere. The references and the
// prompts (the reference panel's file and colour dialogs) must outlive the window.
void AddAnalysisViews(QWidget& window, WaveDocument& document, WaveDisplay& display, ReferenceSet& references,
                      Prompts& prompts, const QString& configFile);
