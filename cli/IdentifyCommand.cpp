// identify: the instrument's *IDN? reply, one field a line or as JSON.

#include "cli/CliCall.h"
#include "cli/CliConsole.h"
#include "cli/CliInstrument.h"
#include "cli/CliText.h"
#include "cli/CommandHandlers.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString withoutLineEnd(QString text)
{
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text;
}

} // namespace

CliResult RunIdentify(CliCall& call)
{
    CliInstrument* instrument = nullptr;
    if (CliResult opened = call.instrument(instrument); !opened.ok())
        return opened;
    QStringList fields;
    if (CliResult read = instrument->identify(fields); !read.ok())
        return read;
    if (!fields.isEmpty())
        fields.last() = withoutLineEnd(fields.last());
    if (call.isSet("json")) {
        static const char* const kKeys[] = {"maker", "model", "serial", "firmware"};
        QJsonObject identity;
        for (int i = 0; i < 4; ++i)
            identity.insert(QLatin1String(kKeys[i]), fields.value(i));
        call.console().print(QString::fromUtf8(QJsonDocument(identity).toJson(QJsonDocument::Indented)));
        return {};
    }
    QString lines;
    for (const QString& field : fields)
        lines += PrintableText(field) + QLatin1Char('\n');
    call.console().print(lines);
    return {};
}
