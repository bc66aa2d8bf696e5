#include "cli/CliText.h"

#include <QStringList>

QString PrintableText(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            shown += QStringLiteral("\\x") + QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QString OneLine(const QString& message)
{
    QStringList lines = message.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines)
        line = PrintableText(line.trimmed());
    lines.removeAll(QString());
    return lines.join(QLatin1Char(' '));
}
