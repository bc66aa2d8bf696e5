#include "app/CommandLine.h"

#include "core/AppIdentity.h"
#include "files/WaveFileFormat.h"
#include "startup/UsageErrors.h"

#include <QCommandLineParser>
#include <QFileInfo>

CommandLineOptions ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QString::fromUtf8(AppIdentity::kTitle) +
                                     QStringLiteral(": MIRAVO KT-4410 とPCを RS-232C で連携します。"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("このヘルプを表示する"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("バージョンを表示する"));
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
                                       QStringLiteral("見つかったシリアルデバイスを表示する（デバイス、説明、メーカー、シリアル番号）"));
    QList<QCommandLineOption> options = InstrumentCommandLineOptions();
    options << listPorts << help << version;
    parser.addOptions(options);
    parser.addPositionalArgument(QStringLiteral("WAVEFILE"), QStringLiteral("起動時に開く波形ファイル（.CSV または .RAW）"),
                                 QStringLiteral("[WAVEFILE]"));

    CommandLineOptions result;
    const auto fail = [&result](const QString& text) {
        result.action = CommandLineOptions::Action::Fail;
        result.text = text + QStringLiteral("（使い方: miravo-link --help）");
        return result;
    };
    if (!parser.parse(arguments))
        return fail(UsageErrorText(parser, arguments, options));
    if (parser.isSet(help)) {
        result.action = CommandLineOptions::Action::ShowHelp;
        // The parser's own usage line names the program only when an application object
        // exists; the first argument names it always.
        const QString program = arguments.isEmpty() ? QStringLiteral("miravo-link") : QFileInfo(arguments[0]).fileName();
        const QString text = parser.helpText();
        result.text = QStringLiteral("Usage: %1 [options] [WAVEFILE]").arg(program) + text.mid(text.indexOf(QLatin1Char('\n')));
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLineOptions::Action::ShowVersion;
        result.text = QString::fromUtf8(AppIdentity::kTitle) + QLatin1Char(' ') + QString::fromUtf8(AppIdentity::kVersion) + QLatin1Char('\n');
        return result;
    }
    if (parser.isSet(listPorts)) {
        result.action = CommandLineOptions::Action::ListPorts;
        return result;
    }
    if (parser.positionalArguments().size() > 1)
        return fail(QStringLiteral("開けるファイルは1つです: ") + parser.positionalArguments().join(QLatin1Char(' ')));
    result.file = parser.positionalArguments().value(0);
    if (!result.file.isEmpty() && !WaveFileKindFor(result.file.toStdString()))
        return fail(QStringLiteral("開けるのは拡張子が .CSV か .RAW の波形ファイルです: ") + result.file);
    if (const QString problem = ReadInstrumentOptions(parser, result.instrument); !problem.isEmpty())
        return fail(problem);
    return result;
}
