// compare A B [--tolerance V] [--json]: two waveform files, point by point, in volts of the
// signals. A file that cannot be read, or records that cannot be compared, end with
// kCliFileFailed and nothing on standard output; a point outside the tolerance with
// kCliOutside after the report.

#include "analysis/WaveComparison.h"
#include "cli/CliCall.h"
#include "cli/CliConsole.h"
#include "cli/CliText.h"
#include "cli/CliValues.h"
#include "cli/CommandHandlers.h"
#include "cli/FileCommands.h"
#include "core/EngNumber.h"
#include "document/WaveDocument.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString volts(double value)
{
    return QString::fromStdString(FormatEng(float(value), "##0.000")) + QLatin1Char('V');
}

QString compareText(const QString& a, const QString& b, const WaveComparison& result, std::optional<double> tolerance)
{
    QString out = QStringLiteral("A: %1\nB: %2\n").arg(PrintableText(a), PrintableText(b));
    out += QStringLiteral("許容差: %1\n").arg(tolerance ? QStringLiteral("±") + volts(*tolerance) : QStringLiteral("なし"));
    for (const ChannelDeviation& c : result.channels) {
        out += QStringLiteral("CH%1  %2 点  最大偏差 %3  RMS偏差 %4").arg(c.channel).arg(c.points).arg(volts(c.maxDeviation), volts(c.rmsDeviation));
        if (const std::optional<int> outside = c.pointsOutside())
            out += QStringLiteral("  範囲外 %1 点").arg(*outside);
        out += QLatin1Char('\n');
    }
    out += QStringLiteral("判定: %1\n").arg(!result.pass ? QStringLiteral("-") : *result.pass ? QStringLiteral("合格") : QStringLiteral("不合格"));
    return out;
}

QString compareJson(const WaveComparison& result)
{
    QJsonArray channels;
    for (const ChannelDeviation& c : result.channels) {
        const std::optional<int> outside = c.pointsOutside();
        channels.append(QJsonObject{{QStringLiteral("channel"), c.channel},
                                    {QStringLiteral("points"), c.points},
                                    {QStringLiteral("maxDeviation"), c.maxDeviation},
                                    {QStringLiteral("rmsDeviation"), c.rmsDeviation},
                                    {QStringLiteral("pointsOutside"), outside ? QJsonValue(*outside) : QJsonValue()}});
    }
    const QJsonObject report{{QStringLiteral("channels"), channels},
                             {QStringLiteral("pass"), result.pass ? QJsonValue(*result.pass) : QJsonValue()}};
    return QString::fromUtf8(QJsonDocument(report).toJson(QJsonDocument::Indented));
}

} // namespace

CliResult RunCompare(CliCall& call)
{
    std::optional<double> tolerance;
    if (call.isSet("tolerance")) {
        tolerance = ParseTolerance(call.value("tolerance").toStdString());
        if (!tolerance)
            return {kCliUsage, ToleranceProblem(PrintableText(call.value("tolerance")))};
    }
    const QString a = call.files()[0];
    const QString b = call.files()[1];
    WaveDocument first;
    if (CliResult loaded = LoadWaveDocument(a, first, call.console()); !loaded.ok())
        return loaded;
    WaveDocument second;
    if (CliResult loaded = LoadWaveDocument(b, second, call.console()); !loaded.ok())
        return loaded;
    const WaveComparison result = CompareRecords(first.record(), second.record(), tolerance);
    if (!result.comparable())
        return {kCliFileFailed, QStringLiteral("比較できません: ") + QString::fromStdString(result.problem)};
    call.console().print(call.isSet("json") ? compareJson(result) : compareText(a, b, result, tolerance));
    if (result.pass.value_or(true))
        return {};
    QString counts;
    for (const ChannelDeviation& c : result.channels)
        if (c.pointsOutside().value_or(0) > 0)
            counts += QStringLiteral("%1CH%2 %3 点").arg(counts.isEmpty() ? QString() : QStringLiteral("、")).arg(c.channel).arg(*c.pointsOutside());
    return {kCliOutside, QStringLiteral("許容差を外れた点があります（%1）。").arg(counts)};
}
