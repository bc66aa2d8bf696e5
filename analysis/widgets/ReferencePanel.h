#pragma once
// The reference waveforms' window (参照波形): for each of R1 to R4 the choice for the
// comparison, show, its colour, where it came from, and keep the current waveform, read a
// file, clear; below them the tolerance of the band in volts and the verdict on the waveform
// shown (or why it cannot be compared). Everything goes to the ReferenceSet, and the panel
// follows its changes and the record's.
//
// objectNames (k = 0..3): RefChoose_k, RefShow_k, RefColor_k, RefSource_k, RefKeep_k,
// RefLoad_k, RefClear_k; RefTolerance, RefToleranceProblem, RefVerdict.

#include <QWidget>

class Prompts;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class ReferenceSet;
class WaveDocument;

class ReferencePanel : public QWidget {
    Q_OBJECT
public:
    // The document, the set and the prompts must outlive the panel; parent is the main window.
    ReferencePanel(WaveDocument& document, ReferenceSet& references, Prompts& prompts, QWidget* parent = nullptr);

    // Keep the current waveform as reference `slot` (0..3), as its button does.
    void keepCurrent(int slot);

private:
    void loadFile(int slot);
    void chooseColor(int slot);
    void applyTolerance();
    void follow();

    struct Row {
        QRadioButton* choose;
        QCheckBox* show;
        QToolButton* color;
        QLabel* source;
        QPushButton* keep;
        QPushButton* load;
        QPushButton* clear;
    };

    WaveDocument& m_document;
    ReferenceSet& m_references;
    Prompts& m_prompts;
    Row m_rows[4] = {};
    QLineEdit* m_tolerance = nullptr;
    QLabel* m_toleranceProblem = nullptr;
    QLabel* m_verdict = nullptr;
};
