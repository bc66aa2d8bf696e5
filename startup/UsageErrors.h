#pragma once
// A command line that QCommandLineParser refused, said in Japanese on one line: an unknown
// option, a missing value or a value given to a switch. The option is echoed as it was
// written, dashes included.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

// arguments: as given to parse(); options: the parser's, for the name of a missing value.
QString UsageErrorText(const QCommandLineParser& parser, const QStringList& arguments,
                       const QList<QCommandLineOption>& options);

// The argument that gave option `name` ("--frob=1" for "frob"), without its value.
QString WrittenOption(const QString& name, const QStringList& arguments);
