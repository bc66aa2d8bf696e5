#pragma once
// The " 解析 " group beside the Display frame and the views it opens, built for the main
// window. A new view is one more addView call in AnalysisViews.cpp.

class QString;
class QWidget;
class WaveDisplay;
class WaveDocument;

// configFile: where the open views are remembered; empty: nowhere.
void AddAnalysisViews(QWidget& window, WaveDocument& document, WaveDisplay& display, const QString& configFile);
