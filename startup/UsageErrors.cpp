#include "startup/UsageErrors.h"

#include <QRegularExpression>

QString WrittenOption(const QString& name, const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--"))
            break;
        if (!argument.startsWith(QLatin1Char('-')))
            continue;
        const QString written = argument.section(QLatin1Char('='), 0, 0);
        qsizetype dashes = 0;
        while (dashes < written.size() && written[dashes] == QLatin1Char('-'))
            ++dashes;
        if (written.mid(dashes) == name)
            return written;
    }
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

QString UsageErrorText(const QCommandLineParser& parser, const QStringList& arguments,
                       const QList<QCommandLineOption>& options)
{
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty())
        return QStringLiteral("不明なオプションです: ") + WrittenOption(unknown.first(), arguments);
    // The parser's own sentences are English; the option they name is between quotes.
    const QString error = parser.errorText();
    static const QRegularExpression kQuoted(QStringLiteral("'(.*)'"));
    const QString written = kQuoted.match(error).captured(1).section(QLatin1Char('='), 0, 0);
    QString name = written;
    while (name.startsWith(QLatin1Char('-')))
        name.remove(0, 1);
    if (error.startsWith(QLatin1String("Missing value"))) {
        QString value = QStringLiteral("値");
        for (const QCommandLineOption& option : options)
            if (option.names().contains(name))
                value = option.valueName();
        return QStringLiteral("%1 に %2 を指定してください。").arg(written, value);
    }
    if (error.startsWith(QLatin1String("Unexpected value")))
        return QStringLiteral("%1 は値をとりません。").arg(written);
    return error;
}
