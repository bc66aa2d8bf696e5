// doctor: why the instrument does not answer, and at which speed and delimiter it does.

#include "cli/CliCall.h"
#include "cli/CliConsole.h"
#include "cli/CliInstrument.h"
#include "cli/CliText.h"
#include "cli/CommandHandlers.h"
#include "core/EnvSettings.h"
#include "core/RegularFile.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

const char* problemName(DoctorProblem problem)
{
    switch (problem) {
    case DoctorProblem::None: return "none";
    case DoctorProblem::Missing: return "missing";
    case DoctorProblem::Permission: return "permission";
    case DoctorProblem::Busy: return "busy";
    case DoctorProblem::NoAnswer: return "no-answer";
    case DoctorProblem::Settings: return "settings";
    }
    return "no-answer";
}

// One JSON value as text; the document keeps the keys in the order written here.
QString jsonValue(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString diagnosisJson(const Diagnosis& diagnosis)
{
    const QString found = diagnosis.found ? QStringLiteral("{\"speed\": %1, \"delimiter\": %2}")
                                                .arg(diagnosis.found->speed())
                                                .arg(jsonValue(DelimiterName(diagnosis.found->delimiterIndex)))
                                          : QStringLiteral("null");
    const QString holder = diagnosis.holder ? QStringLiteral("{\"pid\": %1, \"command\": %2}")
                                                  .arg(diagnosis.holder->pid)
                                                  .arg(jsonValue(diagnosis.holder->command))
                                            : QStringLiteral("null");
    return QStringLiteral("{\n  \"port\": %1,\n  \"problem\": %2,\n  \"advice\": %3,\n  \"found\": %4,\n  \"holder\": %5\n}\n")
        .arg(jsonValue(diagnosis.port), jsonValue(QLatin1String(problemName(diagnosis.problem))), jsonValue(diagnosis.advice),
             found, holder);
}

} // namespace

CliResult RunDoctor(CliCall& call)
{
    const bool json = call.isSet("json");
    EnvSettings settings;
    CliInstrument* instrument = nullptr;
    QString device;
    if (CliResult started = call.unopenedInstrument(instrument, device); !started.ok())
        return started;
    call.settings(settings);
    Diagnosis diagnosis;
    const auto onStep = [&](const DoctorStepReport& report) {
        if (!json)
            call.console().print(QStringLiteral("%1 %2\n").arg(report.passed ? u"[OK]" : u"[NG]", PrintableText(report.text)));
    };
    if (CliResult diagnosed = instrument->diagnose(settings, device, diagnosis, onStep); !diagnosed.ok())
        return diagnosed;

    if (json)
        call.console().print(diagnosisJson(diagnosis));
    else
        call.console().print(PrintableText(diagnosis.advice) + QLatin1Char('\n'));

    if (call.isSet("write-settings") && diagnosis.problem == DoctorProblem::Settings) {
        const std::filesystem::path& file = call.settingsFile();
        const QString path = QString::fromStdString(PathText(file));
        const std::string problem =
            WriteLineSpeedAndDelimiter(file, diagnosis.found->speedIndex, diagnosis.found->delimiterIndex);
        if (!problem.empty())
            return {kCliFileFailed, OneLine(QString::fromStdString(problem))};
        call.console().note(QStringLiteral("設定ファイル %1 に通信速度 %2 とデリミッター %3 を書き込みました。")
                                .arg(path)
                                .arg(diagnosis.found->speed())
                                .arg(DelimiterName(diagnosis.found->delimiterIndex)));
    }
    if (diagnosis.problem == DoctorProblem::None)
        return {};
    return {kCliLinkFailed,
            QStringLiteral("本体は設定どおりには応答しません（%1）。").arg(QLatin1String(problemName(diagnosis.problem)))};
}
