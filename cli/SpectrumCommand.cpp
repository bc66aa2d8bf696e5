// spectrum IN: the spectrum of one channel of a waveform file, as the spectrum window
// computes it: a summary, JSON, or every bin as CSV.

#include "analysis/Spectrum.h"
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
#include <QJsonObject>

#include <charconv>

namespace {

QString engineering(double value, const char* unit)
{
    return QString::fromStdString(FormatEng(float(value), "##0.000")).trimmed() + QLatin1String(unit);
}

QString decibels(double level)
{
    return QString::number(level, 'f', 2) + QStringLiteral(" dBV");
}

// The shortest text that reads back as the same double, locale-free.
void appendNumber(std::string& out, double value)
{
    char buffer[32];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

QString windowNames()
{
    QStringList names;
    for (WindowKind kind : kAllWindows)
        names << QString::fromUtf8(WindowName(kind));
    return names.join(QStringLiteral(", "));
}

QString summary(const QString& path, int channel, int points, const Spectrum& s)
{
    QString out;
    out += QStringLiteral("ファイル: %1\n").arg(PrintableText(path));
    out += QStringLiteral("チャンネル: CH%1\n").arg(channel);
    out += QStringLiteral("窓関数: %1\n").arg(QString::fromUtf8(WindowName(s.window)));
    out += QStringLiteral("データ数: %1\n").arg(points);
    out += QStringLiteral("サンプリング周波数: %1\n").arg(engineering(s.sampleRate, "Hz"));
    out += QStringLiteral("ビン幅: %1（%2 ビン）\n").arg(engineering(s.binWidth, "Hz")).arg(s.levels.size());
    if (s.peaks.empty()) {
        out += QStringLiteral("基本波: -\n");
    } else {
        out += QStringLiteral("基本波: %1  %2\n").arg(engineering(s.peaks.front().frequency, "Hz"), decibels(s.peaks.front().level));
    }
    out += QStringLiteral("THD: %1\n").arg(s.thdPercent ? QString::number(*s.thdPercent, 'f', 2) + QStringLiteral(" %")
                                                        : QStringLiteral("-"));
    out += QStringLiteral("ピーク:\n");
    for (std::size_t i = 0; i < s.peaks.size(); ++i) {
        out += QStringLiteral("%1  %2  %3\n")
                   .arg(i + 1, 4)
                   .arg(engineering(s.peaks[i].frequency, "Hz"), 12)
                   .arg(decibels(s.peaks[i].level), 12);
    }
    return out;
}

QString json(int channel, const Spectrum& s)
{
    QJsonArray peaks;
    for (const SpectrumPeak& peak : s.peaks)
        peaks.append(QJsonObject{{QStringLiteral("frequency"), peak.frequency}, {QStringLiteral("level"), peak.level}});
    const QJsonValue fundamental = s.peaks.empty() ? QJsonValue()
                                                   : QJsonObject{{QStringLiteral("frequency"), s.peaks.front().frequency},
                                                                 {QStringLiteral("level"), s.peaks.front().level}};
    const QJsonObject out{{QStringLiteral("channel"), channel},
                          {QStringLiteral("window"), QString::fromUtf8(WindowName(s.window))},
                          {QStringLiteral("sampleRate"), s.sampleRate},
                          {QStringLiteral("binWidth"), s.binWidth},
                          {QStringLiteral("bins"), int(s.levels.size())},
                          {QStringLiteral("fundamental"), fundamental},
                          {QStringLiteral("thdPercent"), s.thdPercent ? QJsonValue(*s.thdPercent) : QJsonValue()},
                          {QStringLiteral("peaks"), peaks}};
    return QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented));
}

QString csv(const Spectrum& s)
{
    std::string out = "frequency,level\n";
    out.reserve(out.size() + 40 * s.levels.size());
    for (std::size_t k = 0; k < s.levels.size(); ++k) {
        appendNumber(out, k * s.binWidth);
        out += ',';
        appendNumber(out, s.levels[k]);
        out += '\n';
    }
    return QString::fromStdString(out);
}

} // namespace

CliResult RunSpectrum(CliCall& call)
{
    int channel = 1;
    if (call.isSet("channel")) {
        const QString given = call.value("channel");
        if (given != QLatin1String("1") && given != QLatin1String("2"))
            return {kCliUsage, QStringLiteral("--channel は 1 か 2 です: ") + PrintableText(given)};
        channel = given.toInt();
    }
    WindowKind window = kDefaultWindow;
    if (call.isSet("window")) {
        const std::optional<WindowKind> named = WindowFromName(call.value("window").toStdString());
        if (!named)
            return {kCliUsage, QStringLiteral("窓関数「%1」はありません（%2）").arg(PrintableText(call.value("window")), windowNames())};
        window = *named;
    }
    if (call.isSet("json") && call.isSet("csv"))
        return {kCliUsage, QStringLiteral("--json と --csv は一緒に使えません")};
    std::optional<double> times[2];
    const char* const timeNames[2] = {"from", "to"};
    for (int end = 0; end < 2; ++end) {
        if (!call.isSet(timeNames[end]))
            continue;
        times[end] = ParseTime(call.value(timeNames[end]));
        if (!times[end])
            return {kCliUsage, QStringLiteral("--%1 には先頭のサンプルからの秒数を 1m や 250u のように指定してください: %2")
                                   .arg(QLatin1String(timeNames[end]), PrintableText(call.value(timeNames[end])))};
    }

    const QString in = call.files()[0];
    WaveDocument document;
    if (CliResult loaded = LoadWaveDocument(in, document, call.console()); !loaded.ok())
        return loaded;
    const WaveRecord& record = document.record();
    if ((channel == 1 ? record.Ch1On : record.Ch2On) == 0)
        return {kCliUsage, QStringLiteral("CH%1 はオフです: %2").arg(channel).arg(PrintableText(in))};
    if (!SampleSeconds(record))
        return {kCliUsage, QStringLiteral("時間軸が設定されていない波形です: ") + PrintableText(in)};
    const std::optional<SampleWindow> samples = WindowBetweenTimes(record, times[0], times[1]);
    if (!samples)
        return {kCliUsage, QStringLiteral("--from と --to は波形の中で、--from を --to より前にしてください: ") + PrintableText(in)};
    const std::optional<Spectrum> spectrum = ComputeChannelSpectrum(record, channel, *samples, window);
    if (!spectrum)
        return {kCliUsage, QStringLiteral("スペクトルには %1 点以上が要ります: %2").arg(kMinSpectrumSamples).arg(PrintableText(in))};
    if (call.isSet("json"))
        call.console().print(json(channel, *spectrum));
    else if (call.isSet("csv"))
        call.console().print(csv(*spectrum));
    else
        call.console().print(summary(in, channel, samples->last - samples->first + 1, *spectrum));
    return {};
}
