#include "cli/FileCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliConsole.h"
#include "cli/CliText.h"
#include "cli/WaveStats.h"
#include "core/EngNumber.h"
#include "core/WaveRecord.h"
#include "files/WaveFileStore.h"
#include "wave/ParameterPanel.h"
#include "wave/WavePainter.h"
#include "wave/WaveScene.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

// A long record fills the LONG box when it is shown.
constexpr int32_t kLongRecordFrom = 30000;

int lengthFlag(const WaveRecord& record)
{
    return record.LastIndex > kLongRecordFrom ? 1 : 0;
}

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// A stored single-precision value as the number its text shows (0.001, not 0.0010000000474974513).
double shown(float value)
{
    return QString::fromStdString(NumberText(value)).toDouble();
}

QString volts(double value)
{
    return text(FormatEng(float(value), "##0.000")) + QLatin1Char('V');
}

QString kindName(const QString& path)
{
    return WaveFileKindFor(path.toStdString()) == WaveFileKind::Csv ? QStringLiteral("CSV") : QStringLiteral("RAW");
}

QString infoText(const QString& path, const WaveRecord& r)
{
    QString out;
    out += QStringLiteral("ファイル: %1\n").arg(PrintableText(path));
    out += QStringLiteral("形式: %1\n").arg(kindName(path));
    out += QStringLiteral("タイトル: %1\n").arg(PrintableText(text(r.Title)));
    out += QStringLiteral("データ数: %1/Ch\n").arg(r.LastIndex + 1);
    out += QStringLiteral("時間軸: %1s/DIV\n").arg(text(FormatEng(r.SecondsPerDiv)));
    out += QStringLiteral("遅延: %1s\n").arg(text(FormatEng(r.DelaySeconds)));
    out += QStringLiteral("サンプル間隔: %1\n")
               .arg(HasTimeBase(r) ? text(FormatEng(r.SecondsPerSample)) + QLatin1Char('s') : QStringLiteral("-"));
    for (int channel : {1, 2}) {
        const bool on = (channel == 1 ? r.Ch1On : r.Ch2On) != 0;
        out += QStringLiteral("%1  %2  オフセット %3DIV\n")
                   .arg(text(VoltsPerDivCaption(channel, r.voltsPerDiv(channel))), on ? QStringLiteral("ON") : QStringLiteral("OFF"),
                        text(NumberText(r.offset(channel) / 25.0f)));
    }
    for (int channel : {1, 2}) {
        if ((channel == 1 ? r.Ch1On : r.Ch2On) == 0)
            continue;
        const ChannelStats s = ComputeChannelStats(r, channel);
        out += QStringLiteral("CH%1  最小 %2  最大 %3  P-P %4  平均 %5  RMS %6  周波数 %7\n")
                   .arg(channel)
                   .arg(volts(s.minimum), volts(s.maximum), volts(s.peakToPeak), volts(s.mean), volts(s.rms),
                        s.frequency ? text(FormatEng(float(*s.frequency), "##0.000")) + QStringLiteral("Hz")
                                    : QStringLiteral("-"));
    }
    return out;
}

QString infoJson(const QString& path, const WaveRecord& r)
{
    QJsonArray channels;
    for (int channel : {1, 2}) {
        const bool on = (channel == 1 ? r.Ch1On : r.Ch2On) != 0;
        QJsonObject c{{QStringLiteral("channel"), channel},
                      {QStringLiteral("on"), on},
                      {QStringLiteral("voltsPerDiv"), shown(r.voltsPerDiv(channel))},
                      {QStringLiteral("offsetDiv"), shown(r.offset(channel) / 25.0f)}};
        if (on) {
            const ChannelStats s = ComputeChannelStats(r, channel);
            c.insert(QStringLiteral("minimum"), s.minimum);
            c.insert(QStringLiteral("maximum"), s.maximum);
            c.insert(QStringLiteral("peakToPeak"), s.peakToPeak);
            c.insert(QStringLiteral("mean"), s.mean);
            c.insert(QStringLiteral("rms"), s.rms);
            c.insert(QStringLiteral("frequency"), s.frequency ? QJsonValue(*s.frequency) : QJsonValue());
        }
        channels.append(c);
    }
    const QJsonObject info{
        {QStringLiteral("file"), path},
        {QStringLiteral("format"), kindName(path)},
        {QStringLiteral("title"), text(r.Title)},
        {QStringLiteral("points"), r.LastIndex + 1},
        {QStringLiteral("secondsPerDiv"), shown(r.SecondsPerDiv)},
        {QStringLiteral("delaySeconds"), shown(r.DelaySeconds)},
        {QStringLiteral("secondsPerSample"), HasTimeBase(r) ? QJsonValue(shown(r.SecondsPerSample)) : QJsonValue()},
        {QStringLiteral("channels"), channels}};
    return QString::fromUtf8(QJsonDocument(info).toJson(QJsonDocument::Indented));
}

} // namespace

CliResult LoadWaveRecord(const QString& path, WaveRecord& record)
{
    const std::optional<WaveFileKind> kind = WaveFileKindFor(path.toStdString());
    if (!kind)
        return {kCliFileFailed, QStringLiteral("波形ファイルの拡張子は .CSV か .RAW です: ") + PrintableText(path)};
    if (const QString problem = ReadWaveFile(path, *kind, record); !problem.isEmpty())
        return {kCliFileFailed, OneLine(problem)};
    // As after a Load from a file: a channel box is checked for any nonzero value.
    RefreshRecord(record, lengthFlag(record), record.Ch1On != 0, record.Ch2On != 0);
    return {};
}

QImage RenderWaveRecord(const WaveRecord& record, QSize size, const EnvSettings& settings, bool grid, bool base,
                        bool dots)
{
    DisplayFlags flags;
    flags.Ch1 = record.Ch1On != 0 ? 1 : 0;
    flags.Ch2 = record.Ch2On != 0 ? 1 : 0;
    flags.Grid = grid ? 1 : 0;
    flags.Base = base ? 1 : 0;
    flags.Line = dots ? 0 : 1;
    QImage image(size, QImage::Format_RGB32);
    const std::optional<WaveScene> scene = ComputeWaveScene(record, {0, double(record.LastIndex)}, flags);
    if (scene)
        PaintWaveScene(image, *scene, settings.Color);
    else
        image.fill(SlotColor(settings.Color[kBackgroundColor]));
    return image;
}

CliResult ConvertWaveFile(const CliRequest& request, const std::function<bool()>& stop)
{
    WaveRecord record;
    if (CliResult loaded = LoadWaveRecord(request.files[0], record); !loaded.ok())
        return loaded;
    if (stop())
        return Interrupted();
    const QString out = request.files[1];
    if (const QString problem = WriteWaveFile(out, *WaveFileKindFor(out.toStdString()), record); !problem.isEmpty())
        return {kCliFileFailed, OneLine(problem)};
    return {};
}

CliResult RenderWaveFile(const CliRequest& request, const EnvSettings& settings, CliConsole& console,
                         const std::function<bool()>& stop)
{
    WaveRecord record;
    if (CliResult loaded = LoadWaveRecord(request.files[0], record); !loaded.ok())
        return loaded;
    if (!HasTimeBase(record))
        console.note(QStringLiteral("時間軸が設定されていない波形です。背景だけを描きます。"));
    const QImage image = RenderWaveRecord(record, request.size, settings, request.grid, request.base, request.dots);
    if (stop())
        return Interrupted();
    const QString out = request.files[1];
    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
        return {kCliFileFailed, QStringLiteral("画像ファイル「%1」に保存できませんでした（%2）。")
                                    .arg(PrintableText(QFileInfo(out).fileName()), file.errorString())};
    return {};
}

CliResult ShowWaveFileInfo(const CliRequest& request, CliConsole& console)
{
    WaveRecord record;
    if (CliResult loaded = LoadWaveRecord(request.files[0], record); !loaded.ok())
        return loaded;
    console.print(request.json ? infoJson(request.files[0], record) : infoText(request.files[0], record));
    return {};
}
