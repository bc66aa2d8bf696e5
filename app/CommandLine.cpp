#include "app/CommandLine.h"

#include "core/AppIdentity.h"
#include "files/WaveFileFormat.h"

#include <QCommandLineParser>
#include <QFileInfo>

CommandLineOptions ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(AppIdentity::kTitle) +
                                     QStringLiteral(": MIRAVO KT-4410 とPCを RS-232C で連携します。"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("設定ファイルのポートの代わりに DEVICE を使う（例: /dev/ttyUSB0, COM3）。"),
                                  QStringLiteral("DEVICE"));
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("内蔵の模擬 MIRAVO に接続する（本体なしで試せます）。"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("このヘルプを表示する。"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("バージョンを表示する。"));
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
                                       QStringLiteral("見つかったシリアルデバイスを表示する（デバイス、説明、メーカー、シリアル番号）。"));
    const QCommandLineOption trace(QStringLiteral("trace"),
                                   QStringLiteral("測定器との通信の記録を FILE に追記する（問い合わせの際に送ってください）。"),
                                   QStringLiteral("FILE"));
    parser.addOptions({port, simulate, trace, listPorts, help, version});
    parser.addPositionalArgument(QStringLiteral("WAVEFILE"), QStringLiteral("起動時に開く波形ファイル（.CSV または .RAW）。"),
                                 QStringLiteral("[WAVEFILE]"));

    CommandLineOptions options;
    if (!parser.parse(arguments)) {
        options.action = CommandLineOptions::Action::Fail;
        const QStringList unknown = parser.unknownOptionNames();
        options.text = unknown.isEmpty() ? parser.errorText()
                                         : QStringLiteral("不明なオプションです: ") + unknown.join(QStringLiteral(", "));
        options.text += QStringLiteral("（使い方: miravo-link --help）");
        return options;
    }
    if (parser.isSet(help)) {
        options.action = CommandLineOptions::Action::ShowHelp;
        // The parser's own usage line names the program only when an application object
        // exists; the first argument names it always.
        const QString program = arguments.isEmpty() ? QStringLiteral("miravo-link") : QFileInfo(arguments[0]).fileName();
        const QString help = parser.helpText();
        options.text = QStringLiteral("Usage: %1 [options] [WAVEFILE]").arg(program) + help.mid(help.indexOf(QLatin1Char('\n')));
        return options;
    }
    if (parser.isSet(version)) {
        options.action = CommandLineOptions::Action::ShowVersion;
        options.text = QString::fromUtf8(AppIdentity::kTitle) + QLatin1Char(' ') + QString::fromUtf8(AppIdentity::kVersion) + QLatin1Char('\n');
        return options;
    }
    if (parser.isSet(listPorts)) {
        options.action = CommandLineOptions::Action::ListPorts;
        return options;
    }
    if (parser.positionalArguments().size() > 1) {
        options.action = CommandLineOptions::Action::Fail;
        options.text = QStringLiteral("開けるファイルは1つです: ") + parser.positionalArguments().join(QLatin1Char(' '));
        return options;
    }
    options.file = parser.positionalArguments().value(0);
    if (!options.file.isEmpty() && !WaveFileKindFor(options.file.toStdString())) {
        options.action = CommandLineOptions::Action::Fail;
        options.text = QStringLiteral("開けるのは拡張子が .CSV か .RAW の波形ファイルです: ") + options.file;
        return options;
    }
    options.simulate = parser.isSet(simulate);
    options.port = parser.value(port);
    options.traceFile = parser.value(trace);
    if (options.simulate && parser.isSet(port)) {
        options.action = CommandLineOptions::Action::Fail;
        options.text = QStringLiteral("--port と --simulate は同時に指定できません。");
    } else if (parser.isSet(port) && options.port.trimmed().isEmpty()) {
        options.action = CommandLineOptions::Action::Fail;
        options.text = QStringLiteral("--port にデバイス名を指定してください。");
    } else if (parser.isSet(trace) && options.traceFile.isEmpty()) {
        options.action = CommandLineOptions::Action::Fail;
        options.text = QStringLiteral("--trace にファイル名を指定してください。");
    }
    return options;
}
