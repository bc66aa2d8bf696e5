#pragma once
// The reference waveforms R1 to R4 beside the live record: each kept from the record or
// read from a file, shown or hidden, in a dimmed colour of its own; one of them is chosen
// for the comparison, with a tolerance in volts. The colours, the choice and the
// tolerance live in the user's configuration file (QSettings), never in the settings file
// of the instrument. Views listen to changed().

#include "analysis/WaveComparison.h"
#include "core/WaveRecord.h"
#include "wave/WaveOverlay.h"
#include "wave/WaveScene.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class ReferenceSet : public QObject {
    Q_OBJECT
public:
    static constexpr int kCount = 4;

    explicit ReferenceSet(QObject* parent = nullptr);
    ~ReferenceSet() override;

    // Reads the colours, the choice and the tolerance from the configuration file and
    // writes them there at each change; an empty name keeps them for this run only.
    void useConfiguration(const QString& file);

    // Slot 0..3 holds a copy of the record from now on, shown; `source` says where it came
    // from. While no reference or an empty slot is chosen, this one is.
    void keep(int slot, const WaveRecord& record, const QString& source);
    // A record read from a waveform file, made ready as the window's Load makes it (the
    // time per sample from its sweep time and length).
    void keepFile(int slot, const WaveRecord& fileRecord, const QString& source);
    void clear(int slot);
    void setShown(int slot, bool shown);
    void setColor(int slot, int32_t bgr);
    // -1: none.
    void choose(int slot);
    // Volts, >= 0; nullopt: no band and no pass or fail.
    void setTolerance(std::optional<double> volts);

    const WaveRecord* record(int slot) const;
    QString source(int slot) const;
    bool isShown(int slot) const;
    int32_t color(int slot) const;
    int chosen() const { return m_chosen; }
    std::optional<double> tolerance() const { return m_tolerance; }
    // "R1".."R4".
    static QString name(int slot);

    // The live record against the chosen reference; nothing while none is chosen or its
    // slot is empty.
    std::optional<WaveComparison> compare(const WaveRecord& live) const;
    // The status line's verdict for the live record; empty without a chosen reference and
    // a tolerance.
    QString verdict(const WaveRecord& live) const;
    // Pass or fail against the chosen reference and the tolerance as they are now, kept
    // when either changes later (a logging run judges all its captures alike); nothing
    // for a record that cannot be compared. Empty without a chosen reference and a tolerance.
    std::function<std::optional<bool>(const WaveRecord&)> fixedVerdict() const;
    // The shown references and the band around the chosen one, in the live record's view.
    WaveOverlay overlay(const WaveScene& scene, const WaveRecord& live, const DisplayFlags& flags) const;

signals:
    void changed();

private:
    struct Slot {
        std::unique_ptr<WaveRecord> record;
        QString source;
        bool shown = true;
        int32_t bgr = 0;
    };

    bool valid(int slot) const { return slot >= 0 && slot < kCount; }
    void save() const;

    std::array<Slot, kCount> m_slots;
    int m_chosen = -1;
    std::optional<double> m_tolerance;
    int32_t m_bandBgr;
    int32_t m_markBgr;
    QString m_configuration;
};
