#include "document/ReferenceSet.h"

#include "document/WaveDocument.h"
#include "wave/ReferenceTraces.h"

#include <QColor>
#include <QSettings>

#include <cmath>

namespace {

// Dimmer than the traces on the default grey, and apart from each other (red in the low byte).
constexpr std::array<int32_t, ReferenceSet::kCount> kDefaultColors{0xB07090, 0x989850, 0x5080A0, 0x608888};
constexpr int32_t kDefaultBand = 0x008000;
constexpr int32_t kDefaultMark = 0xFF00FF;

QString colorText(int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF).name();
}

int32_t colorValue(const QVariant& text, int32_t fallback)
{
    const QColor color(text.toString());
    return color.isValid() ? int32_t(color.red() | color.green() << 8 | color.blue() << 16) : fallback;
}

} // namespace

ReferenceSet::ReferenceSet(QObject* parent) : QObject(parent), m_bandBgr(kDefaultBand), m_markBgr(kDefaultMark)
{
    for (int slot = 0; slot < kCount; ++slot)
        m_slots[std::size_t(slot)].bgr = kDefaultColors[std::size_t(slot)];
}

ReferenceSet::~ReferenceSet() = default;

QString ReferenceSet::name(int slot)
{
    return QStringLiteral("R%1").arg(slot + 1);
}

void ReferenceSet::useConfiguration(const QString& file)
{
    m_configuration = file;
    if (file.isEmpty())
        return;
    const QSettings config(file, QSettings::IniFormat);
    for (int slot = 0; slot < kCount; ++slot)
        m_slots[std::size_t(slot)].bgr = colorValue(config.value(QStringLiteral("references/color%1").arg(slot + 1)),
                                                    kDefaultColors[std::size_t(slot)]);
    m_bandBgr = colorValue(config.value(QStringLiteral("references/bandColor")), kDefaultBand);
    m_markBgr = colorValue(config.value(QStringLiteral("references/markColor")), kDefaultMark);
    const int chosen = config.value(QStringLiteral("references/chosen"), -1).toInt();
    m_chosen = valid(chosen) ? chosen : -1;
    bool ok = false;
    const double tolerance = config.value(QStringLiteral("references/tolerance")).toDouble(&ok);
    m_tolerance = ok && tolerance >= 0 && std::isfinite(tolerance) ? std::optional(tolerance) : std::nullopt;
    emit changed();
}

void ReferenceSet::save() const
{
    if (m_configuration.isEmpty())
        return;
    QSettings config(m_configuration, QSettings::IniFormat);
    for (int slot = 0; slot < kCount; ++slot)
        config.setValue(QStringLiteral("references/color%1").arg(slot + 1), colorText(m_slots[std::size_t(slot)].bgr));
    config.setValue(QStringLiteral("references/bandColor"), colorText(m_bandBgr));
    config.setValue(QStringLiteral("references/markColor"), colorText(m_markBgr));
    config.setValue(QStringLiteral("references/chosen"), m_chosen);
    if (m_tolerance)
        config.setValue(QStringLiteral("references/tolerance"), *m_tolerance);
    else
        config.remove(QStringLiteral("references/tolerance"));
}

void ReferenceSet::keep(int slot, const WaveRecord& record, const QString& source)
{
    if (!valid(slot))
        return;
    // A choice remembered from an earlier run may name a slot that is empty now.
    const bool chooseThis = this->record(m_chosen) == nullptr;
    Slot& s = m_slots[std::size_t(slot)];
    s.record = std::make_unique<WaveRecord>(record);
    s.source = source;
    s.shown = true;
    if (chooseThis) {
        m_chosen = slot;
        save();
    }
    emit changed();
}

void ReferenceSet::keepFile(int slot, const WaveRecord& fileRecord, const QString& source)
{
    WaveDocument loaded;
    loaded.applyFile(fileRecord);
    keep(slot, loaded.record(), source);
}

void ReferenceSet::clear(int slot)
{
    if (!valid(slot) || !m_slots[std::size_t(slot)].record)
        return;
    m_slots[std::size_t(slot)].record.reset();
    m_slots[std::size_t(slot)].source.clear();
    emit changed();
}

void ReferenceSet::setShown(int slot, bool shown)
{
    if (!valid(slot) || m_slots[std::size_t(slot)].shown == shown)
        return;
    m_slots[std::size_t(slot)].shown = shown;
    emit changed();
}

void ReferenceSet::setColor(int slot, int32_t bgr)
{
    if (!valid(slot) || m_slots[std::size_t(slot)].bgr == bgr)
        return;
    m_slots[std::size_t(slot)].bgr = bgr;
    save();
    emit changed();
}

void ReferenceSet::choose(int slot)
{
    const int chosen = valid(slot) ? slot : -1;
    if (chosen == m_chosen)
        return;
    m_chosen = chosen;
    save();
    emit changed();
}

void ReferenceSet::setTolerance(std::optional<double> volts)
{
    if (volts && !(*volts >= 0 && std::isfinite(*volts)))
        return;
    if (volts == m_tolerance)
        return;
    m_tolerance = volts;
    save();
    emit changed();
}

const WaveRecord* ReferenceSet::record(int slot) const
{
    return valid(slot) ? m_slots[std::size_t(slot)].record.get() : nullptr;
}

QString ReferenceSet::source(int slot) const
{
    return valid(slot) ? m_slots[std::size_t(slot)].source : QString();
}

bool ReferenceSet::isShown(int slot) const
{
    return valid(slot) && m_slots[std::size_t(slot)].shown;
}

int32_t ReferenceSet::color(int slot) const
{
    return valid(slot) ? m_slots[std::size_t(slot)].bgr : 0;
}

std::optional<WaveComparison> ReferenceSet::compare(const WaveRecord& live) const
{
    const WaveRecord* reference = record(m_chosen);
    if (!reference)
        return std::nullopt;
    return CompareRecords(live, *reference, m_tolerance, "波形", name(m_chosen).toStdString());
}

QString ReferenceSet::verdict(const WaveRecord& live) const
{
    const std::optional<WaveComparison> comparison = compare(live);
    if (!comparison || !m_tolerance)
        return {};
    return QString::fromStdString(VerdictText(*comparison, name(m_chosen).toStdString()));
}

std::function<std::optional<bool>(const WaveRecord&)> ReferenceSet::fixedVerdict() const
{
    const WaveRecord* chosen = record(m_chosen);
    if (!chosen || !m_tolerance)
        return {};
    return [reference = std::make_shared<const WaveRecord>(*chosen), tolerance = m_tolerance](const WaveRecord& live) {
        return CompareRecords(live, *reference, tolerance).pass;
    };
}

WaveOverlay ReferenceSet::overlay(const WaveScene& scene, const WaveRecord& live, const DisplayFlags& flags) const
{
    // In the live record's counts: a reference at another V/DIV is scaled to line up in volts.
    const auto traceOf = [&](const WaveRecord& reference, int32_t bgr) {
        ReferenceTrace trace{&reference, bgr, {1, 1}};
        for (int channel : {1, 2}) {
            const double liveScale = ShownVoltsPerDiv(live, channel);
            if (liveScale != 0 && std::isfinite(liveScale))
                trace.scale[std::size_t(channel - 1)] = ShownVoltsPerDiv(reference, channel) / liveScale;
        }
        return trace;
    };
    std::vector<ReferenceTrace> shown;
    for (int slot = 0; slot < kCount; ++slot)
        if (const Slot& s = m_slots[std::size_t(slot)]; s.record && s.shown)
            shown.push_back(traceOf(*s.record, s.bgr));

    std::optional<ToleranceBand> band;
    const std::optional<WaveComparison> comparison = compare(live);
    if (comparison && comparison->comparable() && m_tolerance) {
        band.emplace();
        band->reference = traceOf(*record(m_chosen), m_bandBgr);
        band->bgr = m_bandBgr;
        band->markBgr = m_markBgr;
        for (const ChannelDeviation& channel : comparison->channels) {
            const auto k = std::size_t(channel.channel - 1);
            band->halfWidth[k] = *m_tolerance * 25 / ShownVoltsPerDiv(live, channel.channel);
            band->outside[k] = *channel.outside;
        }
    }
    return ComputeReferenceOverlay(scene, live, flags, shown, band ? &*band : nullptr);
}
