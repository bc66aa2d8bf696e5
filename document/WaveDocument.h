#pragma once
// The owner of the one waveform record, of the view onto it and of the display check
// boxes, and the only code that writes them. Each writer announces once what it touched,
// so the wave view, the parameter panel and the check boxes follow by themselves.
//
// While a dialog that reads or writes the record is open, the document is held: a capture
// that arrives meanwhile waits and is applied when the last hold ends, so a file saved from
// an open dialog is the record before the capture, never a mix.

#include "core/WaveRecord.h"
#include "document/AcquisitionCapture.h"
#include "document/SetupValues.h"
#include "wave/UpDownSteps.h"
#include "wave/WaveScale.h"
#include "wave/WaveScene.h"

#include <QObject>
#include <array>
#include <optional>

class WaveDocument : public QObject {
    Q_OBJECT
public:
    enum Aspect {
        Samples = 1,      // the sample table or LastIndex
        Parameters = 2,   // the acquisition parameters and the record's flags (Ch1On, FreshCapture, ...)
        View = 4,         // what part of the record is shown, and where (ScaleLeft, ScaleWidth, offsets)
        Flags = 8,        // the display check boxes
    };
    Q_DECLARE_FLAGS(Aspects, Aspect)
    Q_FLAG(Aspects)

    // The display check boxes; values 0 unchecked, 1 checked, 2 greyed.
    enum class Flag { Ch1, Ch2, Base, Grid, Line, Length };
    Q_ENUM(Flag)

    explicit WaveDocument(QObject* parent = nullptr);

    const WaveRecord& record() const { return m_record; }
    const WaveScale& view() const { return m_view; }
    int flag(Flag which) const { return m_flags[std::size_t(which)]; }
    // What RedrawWave draws by the check boxes.
    DisplayFlags displayFlags() const;

    // A complete capture: FreshCapture, the raw samples, LastIndex, ParamsLocked 0 and
    // Ch1On/Ch2On 1 for each channel, then FitTimeAxis. While the document is held it
    // waits for the last hold to end. captureApplied() follows in both cases, also for a
    // capture of no channel (which changes nothing).
    void applyCapture(CaptureBytes capture);
    // From a capture until its setup dialog has closed: the time base and offsets are the
    // previous record's, so the picture waits for the setup's values.
    bool captureAwaitsSetup() const { return m_captureAwaitsSetup; }
    // A record read from a waveform file replaces the record, its samples offset-free; the
    // channel boxes follow its Ch1On/Ch2On, then FitTimeAxis and RefreshParameters.
    void applyFile(const WaveRecord& loaded);

    // The setup dialog opens: a record too long for equivalent sampling loses the mark
    // now, whatever the dialog does. The document is held until endSetup.
    void beginSetup();
    // The setup dialog closed: the values its OK stored (none for Cancel) and the confirm
    // button's ParamsLocked, then RefreshParameters. After a capture the picture follows at
    // once (View); the Setup button alone leaves it for the next redraw.
    void endSetup(const std::optional<SetupValues>& stored, bool confirmed, bool afterCapture);

    // SecondsPerSample from the sweep time, the offsets out of a fresh capture once;
    // refreshed() when it ran (not without a sweep time).
    void RefreshParameters();
    // The view spans the whole record; LONG is checked above 30000 samples.
    void FitTimeAxis();
    // One step of up-down `index` as its press left state; false when nothing moved.
    bool step(int index, const UpDownState& state);
    // A check box's new value, from the user or the program. A channel box also sets
    // Ch1On/Ch2On, as its click action does. An unchanged value changes nothing.
    void setFlag(Flag which, int value);
    void hold();
    void release();
    bool isHeld() const { return m_holds > 0; }

    // Holds the document for the life of a scope.
    class Hold {
    public:
        explicit Hold(WaveDocument& document) : m_document(document) { m_document.hold(); }
        ~Hold() { m_document.release(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        WaveDocument& m_document;
    };

signals:
    void changed(WaveDocument::Aspects aspects);
    // RefreshParameters ran: a cursor measurement ends, the volts labels follow.
    void refreshed();
    // A capture is in the record now (or was of no channel).
    void captureApplied();

private:
    Aspects storeCapture(const CaptureBytes& capture);
    Aspects fitTimeAxis();
    Aspects refreshParameters(bool& ran);
    Aspects setFlagValue(Flag which, int value);
    void announce(Aspects aspects, bool ranRefresh = false);

    WaveRecord m_record;
    WaveScale m_view;
    std::array<int, 6> m_flags{1, 1, 0, 0, 1, 0};
    int m_holds = 0;
    std::optional<CaptureBytes> m_heldCapture;
    bool m_captureAwaitsSetup = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(WaveDocument::Aspects)
