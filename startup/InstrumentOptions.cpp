#include "startup/InstrumentOptions.h"

namespace {

const QString kPort = QStringLiteral("port");
const QString kSimulate = QStringLiteral("simulate");
const QString kTrace = QStringLiteral("trace");
const QString kSimulateDrop = QStringLiteral("simulate-drop");
// Seconds between drops of the simulated line: at least 1 s, at most a day.
constexpr double kDropLeast = 1;
constexpr double kDropMost = 86400;
const QString kSimulateSpeed = QStringLiteral("simulate-speed");

} // namespace

QList<QCommandLineOption> InstrumentCommandLineOptions()
{
    return {
        QCommandLineOption(kPort, QStringLiteral("設定ファイルのポートの代わりに DEVICE を使う（例: /dev/ttyUSB0, COM3）"),
                           QStringLiteral("DEVICE")),
        QCommandLineOption(kSimulate, QStringLiteral("内蔵の模擬 MIRAVO に接続する（本体なしで試せます）")),
        QCommandLineOption(kSimulateDrop,
                           QStringLiteral("--simulate の回線を S 秒ごとに 5 秒間切る（USB アダプターを抜いたときのように。再接続を試すため）"),
                           QStringLiteral("S")),
        QCommandLineOption(kSimulateSpeed,
                           QStringLiteral("模擬 MIRAVO の通信速度を N にする。ほかの速度では意味のない応答を返す（既定: どの速度でも応答）"),
                           QStringLiteral("N")),
        QCommandLineOption(kTrace, QStringLiteral("測定器との通信の記録を FILE に追記する（問い合わせの際に送ってください）"),
                           QStringLiteral("FILE")),
    };
}

QString ReadInstrumentOptions(const QCommandLineParser& parser, InstrumentOptions& options)
{
    options.port = parser.value(kPort);
    options.simulate = parser.isSet(kSimulate);
    options.traceFile = parser.value(kTrace);
    if (options.simulate && parser.isSet(kPort))
        return QStringLiteral("--port と --simulate は同時に指定できません。");
    if (parser.isSet(kPort) && options.port.trimmed().isEmpty())
        return QStringLiteral("--port にデバイス名を指定してください。");
    if (parser.isSet(kSimulateDrop)) {
        if (!options.simulate)
            return QStringLiteral("--simulate-drop は --simulate と一緒に指定してください。");
        bool number = false;
        const double seconds = parser.value(kSimulateDrop).toDouble(&number);
        if (!number || !(seconds >= kDropLeast && seconds <= kDropMost))
            return QStringLiteral("--simulate-drop には 1 から 86400 までの秒数を指定してください: ") + parser.value(kSimulateDrop);
        options.simulateDrop = std::chrono::milliseconds(qint64(seconds * 1000));
    }
    if (parser.isSet(kTrace) && options.traceFile.isEmpty())
        return QStringLiteral("--trace にファイル名を指定してください。");
    if (parser.isSet(kSimulateSpeed)) {
        if (!options.simulate)
            return QStringLiteral("--simulate-speed は --simulate と一緒に指定してください。");
        bool ok = false;
        options.simulateSpeed = parser.value(kSimulateSpeed).toInt(&ok);
        if (!ok || options.simulateSpeed <= 0)
            return QStringLiteral("--simulate-speed の値 %1 は通信速度ではありません。").arg(parser.value(kSimulateSpeed));
    }
    return {};
}
