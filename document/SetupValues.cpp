#include "document/SetupValues.h"

#include "core/EngNumber.h"

#include <QLocale>
#include <cfloat>
#include <cmath>
#include <string>

namespace {

// Counts per vertical division.
constexpr float kCountsPerDiv = 25.0f;

QString eng(float value)
{
    return QString::fromStdString(FormatEng(value));
}

float parse(const QString& text)
{
    const std::string utf8 = text.toStdString();
    return ParseEng(utf8);
}

} // namespace

SetupValues SetupValuesFromRecord(const WaveRecord& record)
{
    SetupValues values;
    values.title = QString::fromStdString(record.Title);
    values.sweep = eng(record.SecondsPerDiv);
    values.volts[0] = eng(record.Ch1VoltsPerDiv);
    values.volts[1] = eng(record.Ch2VoltsPerDiv);
    values.offset[0] = QString::fromStdString(NumberText(record.Ch1Offset / kCountsPerDiv));
    values.offset[1] = QString::fromStdString(NumberText(record.Ch2Offset / kCountsPerDiv));
    values.delay = eng(record.DelaySeconds);
    values.equSampling = record.EquSampling != kFalse;
    return values;
}

void StoreSetupValues(const SetupValues& values, WaveRecord& record)
{
    record.Title = values.title.toStdString();
    record.SecondsPerDiv = parse(values.sweep);
    record.Ch1VoltsPerDiv = parse(values.volts[0]);
    record.Ch2VoltsPerDiv = parse(values.volts[1]);
    record.Ch1Offset = parse(values.offset[0]) * kCountsPerDiv;
    record.Ch2Offset = parse(values.offset[1]) * kCountsPerDiv;
    record.DelaySeconds = parse(values.delay);
    record.EquSampling = values.equSampling ? kTrue : kFalse;
}

std::optional<SetupRefusal> CheckSetupValues(const SetupValues& values)
{
    using Field = SetupRefusal::Field;
    // ParseEng gives FLT_MAX for a number beyond float: not a value anyone means.
    const auto positive = [](const QString& text) {
        const float value = parse(text);
        return value > 0 && value < FLT_MAX;
    };
    if (!positive(values.sweep))
        return SetupRefusal{Field::Sweep, QStringLiteral("掃引速度（sec/DIV）には 0 より大きい数値を入力してください。")};
    for (int c = 0; c < 2; ++c)
        if (!positive(values.volts[c]))
            return SetupRefusal{c == 0 ? Field::Volts1 : Field::Volts2,
                                QStringLiteral("CH%1 の電圧レンジ（V/DIV）には 0 より大きい数値を入力してください。").arg(c + 1)};
    for (int c = 0; c < 2; ++c) {
        const float divs = parse(values.offset[c]);
        if (!std::isfinite(divs) || std::fabs(divs) > kMaxOffsetDivs)
            return SetupRefusal{c == 0 ? Field::Offset1 : Field::Offset2,
                                QStringLiteral("CH%1 のオフセットには -%2 から %2 までの DIV 数を入力してください。")
                                    .arg(c + 1)
                                    .arg(double(kMaxOffsetDivs))};
    }
    return std::nullopt;
}

QString DataLengthCaption(int32_t lastIndex)
{
    return QStringLiteral("Data : ") + QString::number(qint64(lastIndex) + 1) + QStringLiteral("/Ch");
}

QString DateTimeTitle(const QDateTime& when)
{
    return QLocale::c().toString(when, QStringLiteral("d-MMM-yyyy HH:mm:ss"));
}

SetupValues DefaultCaptureSetup()
{
    return {.title = {},
            .sweep = QStringLiteral("1m"),
            .volts = {QStringLiteral("2"), QStringLiteral("500m")},
            .offset = {QStringLiteral("0"), QStringLiteral("0")},
            .delay = QStringLiteral("0"),
            .equSampling = false};
}

SetupValues CaptureSetupFromRecord(const WaveRecord& record)
{
    SetupValues values = SetupValuesFromRecord(record);
    const SetupValues defaults = DefaultCaptureSetup();
    if (!(record.SecondsPerDiv > 0))
        values.sweep = defaults.sweep;
    for (const int channel : {1, 2})
        if (!(record.voltsPerDiv(channel) > 0))
            values.volts[channel - 1] = defaults.volts[channel - 1];
    return values;
}
