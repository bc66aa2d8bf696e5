#pragma once
// One capture made without the window's setup dialog (miravo-cli, logging): the channels,
// the length, a single sweep first or not, and the values the setup step ends with.

#include "document/SetupValues.h"

#include <QList>
#include <chrono>
#include <optional>

class AcquisitionFlow;
class WaveDocument;

struct CaptureOrder {
    QList<int> channels{1, 2};
    bool longRecord = false;
    bool single = false;   // a single sweep first, waited for up to sweepTimeout
    std::optional<std::chrono::milliseconds> sweepTimeout;
    SetupValues setup;
};

// The document's channel and LONG boxes as the order says and the flow's setup step ended
// with its values, as the window is when Load starts; then start the flow's Load, or its
// Single sweep. The flow's finished() tells the outcome (also of a refusal).
void StartUnattendedCapture(WaveDocument& document, AcquisitionFlow& flow, const CaptureOrder& order);
