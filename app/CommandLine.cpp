#include "app/CommandLine.h"

#include "core/AppIdentity.h"

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

    CommandLineOptions options;
    if (!parser.parse(arguments)) {
        options.action = CommandLineOptions::Action::Fail;
        options.text = parser.errorText();
        return options;
    }
    if (parser.isSet(help)) {
        options.action = CommandLineOptions::Action::ShowHelp;
        // The parser's own usage line names the program only when an application object
        // exists; the first argument names it always.
        const QString program = arguments.isEmpty() ? QStringLiteral("miravo-link") : QFileInfo(arguments[0]).fileName();
        const QString help = parser.helpText();
        options.text = QStringLiteral("Usage: %1 [options]").arg(program) + help.mid(help.indexOf(QLatin1Char('\n')));
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
    if (!parser.positionalArguments().isEmpty()) {
        options.action = CommandLineOptions::Action::Fail;
        options.text = QStringLiteral("不明な引数です: ") + parser.positionalArguments().join(QLatin1Char(' '));
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
