#include "cli/CliArguments.h"

#include "core/AppIdentity.h"
#include "link/LineSettings.h"
#include "startup/UsageErrors.h"

namespace {

const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");
const QString kListPorts = QStringLiteral("list-ports");
const QString kSpeed = QStringLiteral("speed");
const QString kDelimiter = QStringLiteral("delimiter");

QCommandLineOption optionFor(const OptionDef& def)
{
    return def.value ? QCommandLineOption(QLatin1String(def.name), QString::fromUtf8(def.help), QLatin1String(def.value))
                     : QCommandLineOption(QLatin1String(def.name), QString::fromUtf8(def.help));
}

// Every subcommand takes these; help lists them apart.
QList<QCommandLineOption> commonOptions()
{
    QList<QCommandLineOption> options = InstrumentCommandLineOptions();
    options << QCommandLineOption(QStringLiteral("settings"),
                                  QStringLiteral("設定ファイル（既定: 作業ディレクトリの MV_UTL.ENV。読むだけで、作りも書き換えもしない）"),
                                  QStringLiteral("FILE"))
            << QCommandLineOption(kSpeed,
                                  QStringLiteral("この実行だけ通信速度を N にする: 115200, 57600, 38400, 19200, 9600, 4800, 2400（設定ファイルは書き換えない）"),
                                  QStringLiteral("N"))
            << QCommandLineOption(kDelimiter,
                                  QStringLiteral("この実行だけデリミッターを crlf（CR/LF）か lf（LF）にする（設定ファイルは書き換えない）"),
                                  QStringLiteral("crlf|lf"))
            << QCommandLineOption(QStringLiteral("quiet"), QStringLiteral("進行表示と注意を出さない"))
            << QCommandLineOption({QStringLiteral("h"), kHelp}, QStringLiteral("このヘルプを表示する"));
    return options;
}

QList<QCommandLineOption> ownOptions(const CommandDef& command)
{
    QList<QCommandLineOption> options;
    const QStringList names = QString::fromLatin1(command.options).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const OptionDef& def : CliOptions())
        if (names.contains(QLatin1String(def.name)))
            options << optionFor(def);
    return options;
}

const CommandDef* findCommand(const QString& name)
{
    for (const CommandDef& command : CliCommands())
        if (name == QLatin1String(command.name))
            return &command;
    return nullptr;
}

int fileCount(const CommandDef& command)
{
    return int(QString::fromLatin1(command.files).split(QLatin1Char(' '), Qt::SkipEmptyParts).size());
}

QString optionLines(const QList<QCommandLineOption>& options)
{
    QString text;
    for (const QCommandLineOption& option : options) {
        const QString name = option.names().last();
        const QString head = QStringLiteral("--") + name +
                             (option.valueName().isEmpty() ? QString() : QLatin1Char(' ') + option.valueName());
        text += QStringLiteral("  %1  %2\n").arg(head, -16).arg(option.description());
    }
    return text;
}

const QString kExitStatuses = QStringLiteral(
    "終了ステータス: 0 完了、1 使い方の誤り、2 測定器との通信の失敗か時間切れ、3 ファイルの誤り、\n"
    "4 compare で許容差を外れた点あり、"
    "130 Ctrl+C（SIGINT）で中断、143 SIGTERM で中断\n");

QString overallHelp()
{
    QString text = QStringLiteral("使い方: miravo-cli <サブコマンド> [オプション] [ファイル]\n"
                                  "MIRAVO KT-4410 とその波形ファイルをスクリプトから扱います。\n\nサブコマンド:\n");
    for (const CommandDef& command : CliCommands())
        text += QStringLiteral("  %1  %2\n").arg(QLatin1String(command.name), -9).arg(QString::fromUtf8(command.summary));
    text += QStringLiteral("\n共通オプション:\n") + optionLines(commonOptions());
    text += QStringLiteral("  %1  %2\n").arg(QStringLiteral("--version"), -16).arg(QStringLiteral("バージョンを表示する"));
    text += QStringLiteral("  %1  %2\n").arg(QStringLiteral("--list-ports"), -16).arg(QStringLiteral("見つかったシリアルデバイスを表示する"));
    return text + QLatin1Char('\n') + kExitStatuses +
           QStringLiteral("サブコマンドごとの説明: miravo-cli <サブコマンド> --help\n");
}

QString commandHelp(const CommandDef& command)
{
    QString text = QStringLiteral("使い方: miravo-cli ") + QLatin1String(command.name) + QStringLiteral(" [オプション]");
    if (*command.files)
        text += QLatin1Char(' ') + QLatin1String(command.files);
    text += QLatin1Char('\n') + QString::fromUtf8(command.summary) + QLatin1Char('\n');
    if (const QList<QCommandLineOption> own = ownOptions(command); !own.isEmpty())
        text += QStringLiteral("\nオプション:\n") + optionLines(own);
    return text + QStringLiteral("\n共通オプション:\n") + optionLines(commonOptions()) + QLatin1Char('\n') + kExitStatuses;
}

std::unique_ptr<QCommandLineParser> newParser(const QList<QCommandLineOption>& options)
{
    auto parser = std::make_unique<QCommandLineParser>();
    // "-quiet" is read as an option of its own, not as "-q -u -i ..."; a negative number
    // after an option that takes a value is that value.
    parser->setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser->addOptions(options);
    return parser;
}

} // namespace

CliArguments::CliArguments(const QStringList& arguments)
{
    parse(QStringList{QStringLiteral("miravo-cli")} + arguments);
}

void CliArguments::fail(const QString& reason)
{
    m_action = Action::Fail;
    m_text = reason;
}

void CliArguments::parse(const QStringList& arguments)
{
    // First with every option of every subcommand, so that values are told from the
    // subcommand and the files, then with the subcommand's own parser.
    QList<QCommandLineOption> everything = commonOptions();
    for (const OptionDef& def : CliOptions())
        everything << optionFor(def);
    everything << QCommandLineOption(kVersion, QString()) << QCommandLineOption(kListPorts, QString());
    const std::unique_ptr<QCommandLineParser> all = newParser(everything);
    if (!all->parse(arguments))
        return fail(UsageErrorText(*all, arguments, everything));
    if (all->isSet(kVersion)) {
        m_action = Action::ShowText;
        m_text = QStringLiteral("miravo-cli (%1) %2\n")
                     .arg(QString::fromUtf8(AppIdentity::kTitle), QString::fromUtf8(AppIdentity::kVersion));
        return;
    }
    if (all->isSet(kListPorts)) {
        m_action = Action::ListPorts;
        return;
    }
    const QStringList positional = all->positionalArguments();
    if (positional.isEmpty()) {
        if (all->isSet(kHelp)) {
            m_action = Action::ShowText;
            m_text = overallHelp();
            return;
        }
        return fail(QStringLiteral("サブコマンドを指定してください（一覧: miravo-cli --help）。"));
    }
    m_command = findCommand(positional.first());
    if (!m_command)
        return fail(QStringLiteral("不明なサブコマンドです: ") + positional.first());
    if (all->isSet(kHelp)) {
        m_action = Action::ShowText;
        m_text = commandHelp(*m_command);
        return;
    }

    const QList<QCommandLineOption> options = commonOptions() + ownOptions(*m_command);
    m_parser = newParser(options);
    const QString name = QLatin1String(m_command->name);
    if (!m_parser->parse(arguments)) {
        const QStringList other = m_parser->unknownOptionNames();
        return fail(other.isEmpty() ? UsageErrorText(*m_parser, arguments, options)
                                    : QStringLiteral("%1 は %2 では使えません。").arg(WrittenOption(other.first(), arguments), name));
    }
    m_files = m_parser->positionalArguments().mid(1);
    const int wanted = fileCount(*m_command);
    if (m_files.size() > wanted) {
        const QString extra = m_files.mid(wanted).join(QLatin1Char(' '));
        return fail(wanted == 0 ? QStringLiteral("%1 はファイルをとりません。余分な引数: %2").arg(name, extra)
                                : QStringLiteral("%1 がとるファイルは %2 だけです。余分な引数: %3")
                                      .arg(name, QLatin1String(m_command->files), extra));
    }
    if (m_files.size() < wanted)
        return fail(QStringLiteral("%1 には %2 を指定してください。").arg(name, QLatin1String(m_command->files)));
    if (const QString problem = ReadInstrumentOptions(*m_parser, m_instrument); !problem.isEmpty())
        return fail(problem);
    if (m_parser->isSet(QStringLiteral("settings")) && settingsPath().isEmpty())
        return fail(QStringLiteral("--settings にファイル名を指定してください。"));
    if (m_parser->isSet(kSpeed)) {
        bool number = false;
        const int baud = value(kSpeed).toInt(&number);
        m_line.speed = number ? SpeedListPosition(baud) : std::nullopt;
        if (!m_line.speed)
            return fail(QStringLiteral("--speed の値 %1 は使えません。115200, 57600, 38400, 19200, 9600, 4800, 2400 のどれかにしてください。")
                            .arg(value(kSpeed)));
    }
    if (m_parser->isSet(kDelimiter)) {
        const QString delimiter = value(kDelimiter).toLower();
        if (delimiter != u"crlf" && delimiter != u"lf")
            return fail(QStringLiteral("--delimiter の値 %1 は使えません。crlf か lf にしてください。").arg(value(kDelimiter)));
        m_line.delimiter = int16_t(delimiter == u"crlf" ? 0 : 1);
    }
}
