#include "cli/CaptureOptions.h"

#include "cli/CliCall.h"
#include "cli/CliValues.h"
#include "document/SetupValues.h"

#include <QHash>

QString ReadCaptureOrder(const CliCall& call, CaptureOrder& order)
{
    if (call.isSet("channels")) {
        const QString list = call.value("channels");
        static const QHash<QString, QList<int>> kLists{{QStringLiteral("1"), {1}},
                                                       {QStringLiteral("2"), {2}},
                                                       {QStringLiteral("1,2"), {1, 2}},
                                                       {QStringLiteral("2,1"), {1, 2}}};
        if (!kLists.contains(list))
            return QStringLiteral("--channels は 1,2 か 1 か 2 です: ") + list;
        order.channels = kLists.value(list);
    }
    order.longRecord = call.isSet("long");
    order.single = call.isSet("single");
    if (call.isSet("timeout")) {
        order.sweepTimeout = ParseSeconds(call.value("timeout"), false);
        if (!order.sweepTimeout)
            return SecondsProblem("timeout", call.value("timeout"), false);
    }
    // The setup dialog's texts, with the values its fields hold unless given.
    SetupValues& s = order.setup;
    s = DefaultCaptureSetup();
    s.title = call.value("title");
    s.equSampling = call.isSet("equ");
    if (s.equSampling && order.longRecord)
        return QStringLiteral("--equ（等価サンプリング）は --long と同時に指定できません。");
    const std::pair<const char*, QString*> numbers[] = {{"sweep", &s.sweep},       {"delay", &s.delay},
                                                        {"volts1", &s.volts[0]},   {"volts2", &s.volts[1]},
                                                        {"offset1", &s.offset[0]}, {"offset2", &s.offset[1]}};
    for (const auto& [name, text] : numbers) {
        if (!call.isSet(name))
            continue;
        *text = call.value(name);
        if (!StartsLikeNumber(*text))
            return QStringLiteral("--%1 には数値を指定してください（例: 500m, 2, 1.5）: %2").arg(QLatin1String(name), *text);
    }
    // What the setup dialog refuses is a usage error here.
    if (const std::optional<SetupRefusal> refusal = CheckSetupValues(s)) {
        static constexpr const char* kOption[] = {"sweep", "volts1", "volts2", "offset1", "offset2"};
        return QStringLiteral("--%1: ").arg(QLatin1String(kOption[int(refusal->field)])) + refusal->message;
    }
    return {};
}
