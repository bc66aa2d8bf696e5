#pragma once
// The " 解析 " group beside the Display frame and the views it opens, built for the main
// window. A new view is one more addView call in AnalysisViews.cpp.

#include <array>
#include <functional>

class AnalysisGroup;
class LogSession;
class Prompts;
class QColor;
class QString;
class QWidget;
class ReferenceSet;
class WaveDisplay;
class WaveDocument;

// configFile: where the open views are remembered; empty: nowhere. The references and the
// prompts (the reference panel's file and colour dialogs) must outlive the window.
AnalysisGroup* AddAnalysisViews(QWidget& window, WaveDocument& document, WaveDisplay& display,
                                ReferenceSet& references, Prompts& prompts, const QString& configFile);

// The logging view (記録, Ctrl+L) in the group, for a session on the window's flow. Its
// messages go to showStatus (the status line); colours: the CH1 and CH2 trace colours. A run
// started with a reference chosen and a tolerance set gets the reference column.
void AddLoggerView(AnalysisGroup& group, QWidget& window, LogSession& session, WaveDocument& document,
                   const ReferenceSet& references, const std::array<QColor, 2>& colours, const QString& configFile,
                   const std::function<void(const QString&)>& showStatus);
