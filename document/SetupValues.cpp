#include "document/SetupValues.h"

#include "core/EngNumber.h"

#include <QLocale>
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

QString DataLengthCaption(int32_t lastIndex)
{
    return QStringLiteral("Data : ") + QString::number(qint64(lastIndex) + 1) + QStringLiteral("/Ch");
}

QString DateTimeTitle(const QDateTime& when)
{
    return QLocale::c().toString(when, QStringLiteral("d-MMM-yyyy HH:mm:ss"));
}
