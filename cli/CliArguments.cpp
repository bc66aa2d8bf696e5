#include "cli/CliArguments.h"

#include "core/AppIdentity.h"
#include "files/WaveFileFormat.h"

#include <QHash>
#include <QRegularExpression>
#include <cmath>

namespace {

enum CommandBit : unsigned {
    kIdentify = 1,
    kRun = 2,
    kStop = 4,
    kSingle = 8,
    kCapture = 16,
    kConvert = 32,
    kRender = 64,
    kInfo = 128,
    kEvery = 255,
};

struct OptionSpec {
    const char* name;
    const char* value;   // the value's name; nullptr for a switch
    unsigned commands;
    const char* help;
};

// The common options first: the help lists them apart.
constexpr int kCommonOptions = 5;
constexpr unsigned kInstrument = kIdentify | kRun | kStop | kSingle | kCapture;
constexpr OptionSpec kOptions[] = {
    {"port", "DEV", kEvery, "設定ファイルのポートの代わりに DEV を使う（例: /dev/ttyUSB0）"},
    {"simulate", nullptr, kEvery, "内蔵の模擬 MIRAVO に接続する（本体なしで試せます）"},
    {"settings", "FILE", kEvery, "設定ファイル（既定: 作業ディレクトリの MV_UTL.ENV。読むだけで、作りも書き換えもしない）"},
    {"quiet", nullptr, kEvery, "進行表示と注意を出さない"},
    {"help", nullptr, kEvery, "このヘルプを表示する"},
    {"trace", "FILE", kInstrument, "測定器との通信の記録を FILE に追記する（問い合わせの際に送ってください）"},
    {"json", nullptr, kIdentify | kInfo, "JSON で出力する"},
    {"timeout", "S", kSingle | kCapture, "単掃引の完了を待つ上限の秒数（既定: 上限なし）"},
    {"out", "FILE", kCapture, "保存先。拡張子 .CSV か .RAW で形式を選ぶ"},
    {"channels", "LIST", kCapture, "取り込むチャンネル: 1,2 か 1 か 2（既定: 1,2）"},
    {"long", nullptr, kCapture, "102400 点で取り込む（既定: 5120 点）"},
    {"single", nullptr, kCapture, "取り込む前に単掃引し、完了を待つ"},
    {"title", "T", kCapture, "タイトル"},
    {"sweep", "T", kCapture, "時間軸 s/DIV（既定: 1m）"},
    {"delay", "T", kCapture, "遅延 s（既定: 0）"},
    {"volts1", "V", kCapture, "CH1 の V/DIV（既定: 2）"},
    {"volts2", "V", kCapture, "CH2 の V/DIV（既定: 500m）"},
    {"offset1", "DIV", kCapture, "CH1 のオフセット DIV（既定: 0）"},
    {"offset2", "DIV", kCapture, "CH2 のオフセット DIV（既定: 0）"},
    {"equ", nullptr, kCapture, "等価サンプリング（5120 点のときだけ）"},
    {"repeat", "N", kCapture, "N 回取り込み、FILE-0001.CSV からの番号付きのファイルに保存する"},
    {"every", "S", kCapture, "--repeat の取り込みを S 秒ごとに始める（既定: 前のが終わりしだい）"},
    {"size", "WxH", kRender, "画像の大きさ（既定: 505x245）"},
    {"grid", nullptr, kRender, "グリッドを描く"},
    {"base", nullptr, kRender, "ベースラインを描く"},
    {"dots", nullptr, kRender, "点描にする（既定: 線描）"},
};

struct CommandSpec {
    const char* name;
    CliCommand command;
    unsigned bit;
    const char* files;   // the file arguments as the usage line names them
    const char* summary;
};

constexpr CommandSpec kCommands[] = {
    {"identify", CliCommand::Identify, kIdentify, "", "製品情報（メーカー、モデル、シリアル番号、ファームウェア）を1行ずつ表示する"},
    {"run", CliCommand::Run, kRun, "", "掃引を始める"},
    {"stop", CliCommand::Stop, kStop, "", "掃引を止める"},
    {"single", CliCommand::Single, kSingle, "", "単掃引し、完了を待つ（Ctrl+C で待つのをやめる）"},
    {"capture", CliCommand::Capture, kCapture, "", "波形を取り込み、ウィンドウの「保存」と同じファイルに保存する"},
    {"convert", CliCommand::Convert, kConvert, "IN OUT", "CSV と RAW を相互に変換する"},
    {"render", CliCommand::Render, kRender, "IN OUT.png", "波形ウィンドウと同じ絵を PNG 画像に描く（色は設定ファイルから）"},
    {"info", CliCommand::Info, kInfo, "IN", "ファイルの条件と、チャンネルごとの最小・最大・P-P・平均・RMS・周波数を表示する"},
};

const OptionSpec* findOption(const QString& name)
{
    for (const OptionSpec& spec : kOptions)
        if (name == QLatin1String(spec.name))
            return &spec;
    return nullptr;
}

const CommandSpec* findCommand(const QString& name)
{
    for (const CommandSpec& spec : kCommands)
        if (name == QLatin1String(spec.name))
            return &spec;
    return nullptr;
}

int fileCount(const CommandSpec& command)
{
    const QString files = QString::fromUtf8(command.files);
    return files.isEmpty() ? 0 : int(files.count(QLatin1Char(' '))) + 1;
}

QString optionLines(unsigned commands, bool common)
{
    QString text;
    for (int i = 0; i < int(std::size(kOptions)); ++i) {
        const OptionSpec& spec = kOptions[i];
        if ((i < kCommonOptions) != common || !(spec.commands & commands))
            continue;
        const QString head = QStringLiteral("--") + QLatin1String(spec.name) +
                             (spec.value ? QLatin1Char(' ') + QLatin1String(spec.value) : QString());
        text += QStringLiteral("  %1  %2\n").arg(head, -16).arg(QString::fromUtf8(spec.help));
    }
    return text;
}

const QString kExitStatuses = QStringLiteral(
    "終了ステータス: 0 完了、1 使い方の誤り、2 測定器との通信の失敗か時間切れ、3 ファイルの誤り、130 中断\n");

QString overallHelp()
{
    QString text = QStringLiteral("使い方: miravo-cli <サブコマンド> [オプション] [ファイル]\n"
                                  "MIRAVO KT-4410 とその波形ファイルをスクリプトから扱います。\n\nサブコマンド:\n");
    for (const CommandSpec& spec : kCommands)
        text += QStringLiteral("  %1  %2\n").arg(QLatin1String(spec.name), -9).arg(QString::fromUtf8(spec.summary));
    text += QStringLiteral("\n共通オプション:\n") + optionLines(kEvery, true);
    text += QStringLiteral("  %1  %2\n").arg(QStringLiteral("--version"), -16).arg(QStringLiteral("バージョンを表示する"));
    text += QStringLiteral("  %1  %2\n").arg(QStringLiteral("--list-ports"), -16).arg(QStringLiteral("見つかったシリアルデバイスを表示する"));
    return text + QLatin1Char('\n') + kExitStatuses +
           QStringLiteral("サブコマンドごとの説明: miravo-cli <サブコマンド> --help\n");
}

QString commandHelp(const CommandSpec& command)
{
    QString usage = QStringLiteral("使い方: miravo-cli ") + QLatin1String(command.name) + QStringLiteral(" [オプション]");
    if (*command.files)
        usage += QLatin1Char(' ') + QLatin1String(command.files);
    QString text = usage + QLatin1Char('\n') + QString::fromUtf8(command.summary) + QStringLiteral("\n");
    if (const QString own = optionLines(command.bit, false); !own.isEmpty())
        text += QStringLiteral("\nオプション:\n") + own;
    return text + QStringLiteral("\n共通オプション:\n") + optionLines(command.bit, true) + QLatin1Char('\n') +
           kExitStatuses;
}

// A text the setup dialog would read as a number: it must start like one.
bool startsLikeNumber(const QString& text)
{
    const QString t = text.trimmed();
    return !t.isEmpty() && (t[0].isDigit() || QStringLiteral("+-.＋－．").contains(t[0]));
}

std::optional<double> seconds(const QString& text, bool zeroAllowed)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0 || (value == 0 && !zeroAllowed))
        return std::nullopt;
    return value;
}

class Reader {
public:
    explicit Reader(CliParse& parse) : m_parse(parse) {}

    bool fail(const QString& reason)
    {
        m_parse.action = CliParse::Action::Fail;
        m_parse.text = reason;
        return false;
    }

    // Fills the request from the options given; false (with the reason) on a bad value.
    bool fill(const QHash<QString, QString>& given, const QStringList& files)
    {
        CliRequest& r = m_parse.request;
        r.files = files;
        r.port = given.value(QStringLiteral("port"));
        r.simulate = given.contains(QStringLiteral("simulate"));
        r.settingsPath = given.value(QStringLiteral("settings"));
        r.tracePath = given.value(QStringLiteral("trace"));
        r.quiet = given.contains(QStringLiteral("quiet"));
        r.json = given.contains(QStringLiteral("json"));
        if (given.contains(QStringLiteral("port")) && r.port.trimmed().isEmpty())
            return fail(QStringLiteral("--port にデバイス名を指定してください。"));
        if (r.simulate && given.contains(QStringLiteral("port")))
            return fail(QStringLiteral("--port と --simulate は同時に指定できません。"));
        if (given.contains(QStringLiteral("settings")) && r.settingsPath.isEmpty())
            return fail(QStringLiteral("--settings にファイル名を指定してください。"));
        if (given.contains(QStringLiteral("trace")) && r.tracePath.isEmpty())
            return fail(QStringLiteral("--trace にファイル名を指定してください。"));
        if (given.contains(QStringLiteral("timeout"))) {
            r.timeoutSeconds = seconds(given.value(QStringLiteral("timeout")), false);
            if (!r.timeoutSeconds)
                return fail(QStringLiteral("--timeout には正の秒数を指定してください。"));
        }
        switch (r.command) {
        case CliCommand::Capture:
            return fillCapture(given);
        case CliCommand::Convert:
            if (!WaveFileKindFor(files[1].toStdString()))
                return fail(QStringLiteral("変換先の拡張子は .CSV か .RAW にしてください: ") + files[1]);
            return true;
        case CliCommand::Render:
            return fillRender(given);
        default:
            return true;
        }
    }

private:
    bool fillCapture(const QHash<QString, QString>& given)
    {
        CliRequest& r = m_parse.request;
        r.out = given.value(QStringLiteral("out"));
        if (r.out.isEmpty())
            return fail(QStringLiteral("capture には --out FILE.CSV か --out FILE.RAW を指定してください。"));
        if (!WaveFileKindFor(r.out.toStdString()))
            return fail(QStringLiteral("保存先の拡張子は .CSV か .RAW にしてください: ") + r.out);
        if (given.contains(QStringLiteral("channels"))) {
            const QString list = given.value(QStringLiteral("channels"));
            static const QHash<QString, QList<int>> kLists{
                {QStringLiteral("1"), {1}}, {QStringLiteral("2"), {2}}, {QStringLiteral("1,2"), {1, 2}},
                {QStringLiteral("2,1"), {1, 2}}};
            if (!kLists.contains(list))
                return fail(QStringLiteral("--channels は 1,2 か 1 か 2 です: ") + list);
            r.channels = kLists.value(list);
        }
        r.longRecord = given.contains(QStringLiteral("long"));
        r.single = given.contains(QStringLiteral("single"));
        CaptureConditions& c = r.conditions;
        c.title = given.value(QStringLiteral("title"));
        c.equSampling = given.contains(QStringLiteral("equ"));
        if (c.equSampling && r.longRecord)
            return fail(QStringLiteral("--equ（等価サンプリング）は --long と同時に指定できません。"));
        const std::pair<const char*, QString*> numbers[] = {
            {"sweep", &c.sweep},     {"delay", &c.delay},     {"volts1", &c.volts[0]},
            {"volts2", &c.volts[1]}, {"offset1", &c.offset[0]}, {"offset2", &c.offset[1]}};
        for (const auto& [name, text] : numbers) {
            const QString key = QLatin1String(name);
            if (!given.contains(key))
                continue;
            *text = given.value(key);
            if (!startsLikeNumber(*text))
                return fail(QStringLiteral("--%1 には数値を指定してください（例: 500m, 2, 1.5）: %2").arg(key, *text));
        }
        if (given.contains(QStringLiteral("repeat"))) {
            bool ok = false;
            r.repeat = given.value(QStringLiteral("repeat")).toInt(&ok);
            if (!ok || r.repeat < 1 || r.repeat > 9999)
                return fail(QStringLiteral("--repeat には 1 から 9999 までの回数を指定してください。"));
        }
        if (given.contains(QStringLiteral("every"))) {
            if (!given.contains(QStringLiteral("repeat")))
                return fail(QStringLiteral("--every は --repeat と一緒に指定してください。"));
            const std::optional<double> every = seconds(given.value(QStringLiteral("every")), true);
            if (!every)
                return fail(QStringLiteral("--every には 0 以上の秒数を指定してください。"));
            r.everySeconds = *every;
        }
        return true;
    }

    bool fillRender(const QHash<QString, QString>& given)
    {
        CliRequest& r = m_parse.request;
        if (!r.files[1].endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
            return fail(QStringLiteral("画像の拡張子は .png にしてください: ") + r.files[1]);
        if (given.contains(QStringLiteral("size"))) {
            static const QRegularExpression kSize(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
            const QRegularExpressionMatch match = kSize.match(given.value(QStringLiteral("size")));
            const int width = match.hasMatch() ? match.captured(1).toInt() : 0;
            const int height = match.hasMatch() ? match.captured(2).toInt() : 0;
            if (width < 2 || height < 2 || width > kMaxSide || height > kMaxSide)
                return fail(QStringLiteral("--size は 2x2 から %1x%1 までの 幅x高さ です。").arg(kMaxSide));
            r.size = QSize(width, height);
        }
        r.grid = given.contains(QStringLiteral("grid"));
        r.base = given.contains(QStringLiteral("base"));
        r.dots = given.contains(QStringLiteral("dots"));
        return true;
    }

    // A picture this large is already far beyond any screen; bigger ones only cost memory.
    static constexpr int kMaxSide = 8192;

    CliParse& m_parse;
};

} // namespace

CliParse ParseCliArguments(const QStringList& arguments)
{
    CliParse parse;
    Reader reader(parse);
    QHash<QString, QString> given;
    QStringList files;
    const CommandSpec* command = nullptr;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString argument = arguments[i] == QLatin1String("-h") ? QStringLiteral("--help") : arguments[i];
        if (argument.startsWith(QLatin1String("--")) && argument.size() > 2) {
            QString name = argument.mid(2);
            std::optional<QString> value;
            if (const qsizetype equals = name.indexOf(QLatin1Char('=')); equals >= 0) {
                value = name.mid(equals + 1);
                name.truncate(equals);
            }
            if (name == QLatin1String("version")) {
                parse.action = CliParse::Action::ShowText;
                parse.text = QStringLiteral("miravo-cli (%1) %2\n")
                                 .arg(QString::fromUtf8(AppIdentity::kTitle), QString::fromUtf8(AppIdentity::kVersion));
                return parse;
            }
            if (name == QLatin1String("list-ports")) {
                parse.action = CliParse::Action::ListPorts;
                return parse;
            }
            const OptionSpec* spec = findOption(name);
            if (!spec) {
                reader.fail(QStringLiteral("不明なオプションです: --") + name);
                return parse;
            }
            if (spec->value && !value) {
                if (i + 1 == arguments.size()) {
                    reader.fail(QStringLiteral("--%1 に %2 を指定してください。").arg(name, QLatin1String(spec->value)));
                    return parse;
                }
                value = arguments[++i];
            } else if (!spec->value && value) {
                reader.fail(QStringLiteral("--%1 は値をとりません。").arg(name));
                return parse;
            }
            given.insert(name, value.value_or(QString()));
        } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            reader.fail(QStringLiteral("不明なオプションです: ") + argument);
            return parse;
        } else if (!command) {
            command = findCommand(argument);
            if (!command) {
                reader.fail(QStringLiteral("不明なサブコマンドです: ") + argument);
                return parse;
            }
        } else {
            files << argument;
        }
    }
    if (given.contains(QStringLiteral("help"))) {
        parse.action = CliParse::Action::ShowText;
        parse.text = command ? commandHelp(*command) : overallHelp();
        return parse;
    }
    if (!command) {
        reader.fail(QStringLiteral("サブコマンドを指定してください（一覧: miravo-cli --help）。"));
        return parse;
    }
    for (auto it = given.cbegin(); it != given.cend(); ++it) {
        if (!(findOption(it.key())->commands & command->bit)) {
            reader.fail(QStringLiteral("--%1 は %2 では使えません。").arg(it.key(), QLatin1String(command->name)));
            return parse;
        }
    }
    if (files.size() != fileCount(*command)) {
        reader.fail(fileCount(*command) == 0
                        ? QStringLiteral("%1 はファイルをとりません: %2").arg(QLatin1String(command->name), files.join(QLatin1Char(' ')))
                        : QStringLiteral("%1 には %2 を指定してください。").arg(QLatin1String(command->name), QLatin1String(command->files)));
        return parse;
    }
    parse.request.command = command->command;
    reader.fill(given, files);
    return parse;
}
