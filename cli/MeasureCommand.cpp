// measure: the measurement panel's values of each channel that is on, over the record or
// the samples between --from and --to, as a table or as JSON.

#include "analysis/Measure.h"
#include "analysis/MeasurementText.h"
#include "cli/CliCall.h"
#include "cli/CliConsole.h"
#include "cli/CliText.h"
#include "cli/CliValues.h"
#include "cli/CommandHandlers.h"
#include "cli/FileCommands.h"
#include "core/EngNumber.h"
#include "core/WaveRecord.h"
#include "document/WaveDocument.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <array>
#include <charconv>
#include <cmath>

namespace {

struct Channel {
    int number;
    bool on;
    ChannelMeasurements values;
};

QString text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// The width a terminal gives the text: two columns for the wide (CJK, full-width) characters.
int columns(const QString& line)
{
    int width = 0;
    for (const QChar c : line)
        width += c.unicode() >= 0x1100 && c != QChar(0x2014) ? 2 : 1;
    return width;
}

QString padded(const QString& cell, int width, bool right)
{
    const QString fill(std::max(0, width - columns(cell)), QLatin1Char(' '));
    return right ? fill + cell : cell + fill;
}

QString tableText(const QString& path, const QString& range, const std::array<Channel, 2>& channels)
{
    constexpr int kLabelWidth = 16;
    constexpr int kValueWidth = 13;
    QString out = QStringLiteral("ファイル: %1\n範囲: %2\n").arg(PrintableText(path), range);
    QString header = padded(QStringLiteral("項目"), kLabelWidth, false);
    for (const Channel& c : channels) {
        if (c.on)
            header += padded(QStringLiteral("CH%1").arg(c.number), kValueWidth, true);
        else
            out += QStringLiteral("CH%1: OFF\n").arg(c.number);
    }
    out += header.trimmed() + QLatin1Char('\n');
    for (const MeasurementInfo& info : kMeasurements) {
        QString line = padded(text(info.label), kLabelWidth, false);
        for (const Channel& c : channels)
            if (c.on)
                line += padded(text(MeasurementText(info.measurement, c.values[info.measurement])), kValueWidth, true);
        out += line + QLatin1Char('\n');
    }
    return out;
}

QString jsonString(const QString& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString jsonNumber(const std::optional<double>& value)
{
    if (!value || !std::isfinite(*value))
        return QStringLiteral("null");
    char buffer[32];
    const std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer, *value);
    return QString::fromLatin1(buffer, written.ptr - buffer);
}

// In the order the measurements are listed, which a reader of the file can rely on.
QString jsonText(const QString& path, std::optional<double> from, std::optional<double> to,
                 const std::array<Channel, 2>& channels)
{
    QString out = QStringLiteral("{\n    \"file\": %1,\n    \"from\": %2,\n    \"to\": %3,\n    \"channels\": [\n")
                      .arg(jsonString(path), jsonNumber(from), jsonNumber(to));
    for (const Channel& c : channels) {
        out += QStringLiteral("        {\n            \"channel\": %1,\n            \"on\": %2")
                   .arg(c.number)
                   .arg(c.on ? QStringLiteral("true") : QStringLiteral("false"));
        if (c.on)
            for (const MeasurementInfo& info : kMeasurements)
                out += QStringLiteral(",\n            \"%1\": %2").arg(text(info.key), jsonNumber(c.values[info.measurement]));
        out += c.number == 1 ? QStringLiteral("\n        },\n") : QStringLiteral("\n        }\n");
    }
    return out + QStringLiteral("    ]\n}\n");
}

} // namespace

CliResult RunMeasure(CliCall& call)
{
    std::optional<double> from;
    std::optional<double> to;
    for (auto [name, time] : {std::pair{"from", &from}, {"to", &to}}) {
        if (!call.isSet(name))
            continue;
        *time = ParseTime(call.value(name));
        if (!*time)
            return {kCliUsage, QStringLiteral("--%1 には先頭のサンプルからの秒数（1m、250u など）を書いてください: %2")
                                   .arg(QLatin1String(name), PrintableText(call.value(name)))};
    }
    const QString in = call.files()[0];
    WaveDocument document;
    if (CliResult loaded = LoadWaveDocument(in, document, call.console()); !loaded.ok())
        return loaded;
    const WaveRecord& record = document.record();
    const std::optional<SampleWindow> window = WindowBetweenTimes(record, from, to);
    if (!window) {
        const std::optional<double> step = SampleSeconds(record);
        if (!step)
            return {kCliUsage, QStringLiteral("時間軸が設定されていない波形では --from と --to を使えません: ") + PrintableText(in)};
        return {kCliUsage, QStringLiteral("--from と --to の範囲が記録（0 から %1s）の外か、逆順か、サンプルを含みません。")
                               .arg(text(FormatEng(float(*step * WholeRecord(record).last), "##0.000")))};
    }
    std::array<Channel, 2> channels{Channel{1, record.Ch1On != 0, {}}, Channel{2, record.Ch2On != 0, {}}};
    for (Channel& c : channels)
        if (c.on)
            c.values = MeasureChannel(record, c.number, *window);
    if (call.interrupted())
        return Interrupted();
    if (call.isSet("json")) {
        call.console().print(jsonText(in, from, to, channels));
        return {};
    }
    const int points = window->last - window->first + 1;
    const QString range = from || to ? QStringLiteral("%1s から %2s (%3 点)")
                                           .arg(text(FormatEng(float(window->first * *SampleSeconds(record)), "##0.000")),
                                                text(FormatEng(float(window->last * *SampleSeconds(record)), "##0.000")))
                                           .arg(points)
                                     : QStringLiteral("記録全体 (%1 点)").arg(points);
    call.console().print(tableText(in, range, channels));
    return {};
}
