#include "cli/FileCommands.h"

#include "analysis/WaveStats.h"
#include "cli/CliCall.h"
#include "cli/CommandHandlers.h"
#include "cli/CliConsole.h"
#include "cli/CliText.h"
#include "core/EngNumber.h"
#include "core/RegularFile.h"
#include "core/WaveRecord.h"
#include "document/WaveDocument.h"
#include "files/WaveFileStore.h"
#include "interchange/ExportFile.h"
#include "interchange/WavePicture.h"
#include "wave/ParameterPanel.h"
#include "wave/WaveScene.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QFileInfo>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

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

// A picture this large is already far beyond any screen; bigger ones only cost memory.
constexpr int kMaxSide = 8192;

} // namespace

CliResult LoadWaveDocument(const QString& path, WaveDocument& document, CliConsole& console)
{
    const std::optional<WaveFileKind> kind = WaveFileKindFor(path.toStdString());
    if (!kind)
        return {kCliFileFailed, QStringLiteral("波形ファイルの拡張子は .CSV か .RAW です: ") + PrintableText(path)};
    WaveRecord loaded = document.record();
    WaveFileLoaded read = ReadWaveFile(path, *kind, loaded);
    if (!read.failure.isEmpty())
        return {kCliFileFailed, OneLine(read.failure.remove(kDisplayUnchanged))};
    if (!read.note.isEmpty())
        console.note(OneLine(read.note));
    document.applyFile(loaded);
    return {};
}

CliResult CheckOutputPlace(const QString& path)
{
    const QFileInfo file(path);
    const QString shown = PrintableText(path);
    if (file.isSymLink() && !file.exists())
        return {kCliFileFailed, QStringLiteral("保存先「%1」は行き先のないリンクです。").arg(shown)};
    if (file.exists() && !file.isFile())
        return {kCliFileFailed, QStringLiteral("保存先「%1」は通常のファイルではありません（フォルダーかデバイスです）。").arg(shown)};
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return {kCliFileFailed, QStringLiteral("保存先のフォルダー「%1」がありません。").arg(PrintableText(folder.filePath()))};
    if (!folder.isWritable())
        return {kCliFileFailed, QStringLiteral("保存先のフォルダー「%1」に書き込む権限がありません。").arg(PrintableText(folder.filePath()))};
    return {};
}

CliResult SaveWaveRecord(const QString& path, const WaveRecord& record, CliConsole& console)
{
    const WaveFileSaved saved = WriteWaveFile(path, *WaveFileKindFor(path.toStdString()), record);
    if (!saved.failure.isEmpty())
        return {kCliFileFailed, OneLine(saved.failure)};
    if (saved.titleChanged)
        console.note(PrintableText(path) + QStringLiteral(": ") + OneLine(kTitleChangedNotice));
    return {};
}

CliResult RunConvert(CliCall& call)
{
    const QString out = call.files()[1];
    const std::optional<WaveFileKind> waveKind = WaveFileKindFor(out.toStdString());
    std::optional<ExportKind> exportKind = ExportKindFor(out.toStdString());
    if (call.isSet("si")) {
        if (waveKind != WaveFileKind::Csv)
            return {kCliUsage, QStringLiteral("--si は .csv への書き出しに使います: ") + PrintableText(out)};
        exportKind = ExportKind::SiCsv;
    }
    if (!waveKind && !exportKind)
        return {kCliUsage, QStringLiteral("変換先の拡張子は .CSV、.RAW、.sr、.wav のどれかにしてください: ") + PrintableText(out)};
    if (CliResult writable = CheckOutputPlace(out); !writable.ok())
        return writable;
    WaveDocument document;
    if (CliResult loaded = LoadWaveDocument(call.files()[0], document, call.console()); !loaded.ok())
        return loaded;
    if (call.interrupted())
        return Interrupted();
    if (!exportKind)
        return SaveWaveRecord(out, document.record(), call.console());
    if (const QString failure = WriteExportFile(out, *exportKind, document.record()); !failure.isEmpty())
        return {kCliFileFailed, OneLine(failure)};
    return {};
}

CliResult RunRender(CliCall& call)
{
    const QString out = call.files()[1];
    const std::optional<PictureKind> kind = PictureKindFor(out.toStdString());
    if (!kind)
        return {kCliUsage, QStringLiteral("画像の拡張子は .png、.svg、.pdf のどれかにしてください: ") + PrintableText(out)};
    QSize size(505, 245);
    if (call.isSet("size")) {
        static const QRegularExpression kSize(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
        const QRegularExpressionMatch match = kSize.match(call.value("size"));
        size = match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
        if (size.width() < 2 || size.height() < 2 || size.width() > kMaxSide || size.height() > kMaxSide)
            return {kCliUsage, QStringLiteral("--size は 2x2 から %1x%1 までの 幅x高さ です: %2").arg(kMaxSide).arg(call.value("size"))};
    }
    if (CliResult writable = CheckOutputPlace(out); !writable.ok())
        return writable;
    EnvSettings settings;
    if (CliResult read = call.settings(settings); !read.ok())
        return read;
    using Flag = WaveDocument::Flag;
    WaveDocument document;
    document.setFlag(Flag::Grid, call.isSet("grid") ? 1 : 0);
    document.setFlag(Flag::Base, call.isSet("base") ? 1 : 0);
    document.setFlag(Flag::Line, call.isSet("dots") ? 0 : 1);
    const QString in = call.files()[0];
    if (CliResult loaded = LoadWaveDocument(in, document, call.console()); !loaded.ok())
        return loaded;
    if (!HasTimeBase(document.record()))
        call.console().note(PrintableText(in) + QStringLiteral(": 時間軸が設定されていない波形です。背景だけを描きます。"));
    PictureContent content =
        WavePictureOf(document.record(), document.view(), document.displayFlags(), settings.Color, size);
    if (call.isSet("annotate")) {
        // The date the waveform was saved, which is what a report refers to.
        const QFileInfo file(in);
        content.caption = PictureCaption{file.fileName(), file.lastModified()};
    }
    const QByteArray picture = RenderWavePicture(*kind, content);
    if (call.interrupted())
        return Interrupted();
    // Like a waveform file: only a regular file is replaced, and only once complete.
    if (const FileProblem problem = ReplaceRegularFile(QFile::encodeName(out).toStdString(), picture.toStdString()))
        return {kCliFileFailed, QStringLiteral("画像ファイル「%1」に保存できませんでした。%2")
                                    .arg(PrintableText(out), QString::fromStdString(FileProblemText(problem)))};
    return {};
}

CliResult RunInfo(CliCall& call)
{
    const QString in = call.files()[0];
    WaveDocument document;
    if (CliResult loaded = LoadWaveDocument(in, document, call.console()); !loaded.ok())
        return loaded;
    call.console().print(call.isSet("json") ? infoJson(in, document.record()) : infoText(in, document.record()));
    return {};
}
