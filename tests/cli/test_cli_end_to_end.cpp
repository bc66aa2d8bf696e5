// miravo-cli as a user runs it, against the simulated instrument on a pseudo-terminal, and
// beside the window program doing the same by its buttons: the files and pictures must
// come out the same.

#include "CliProcess.h"
#include "app/MainWindow.h"
#include "core/EnvSettings.h"
#include "core/WaveRecord.h"
#include "document/ProgramCore.h"
#include "link/InstrumentLink.h"
#include "sim/SimulatedInstrument.h"
#include "support/ExampleWave.h"
#include "support/FileNodes.h"
#include "support/ModalHelper.h"
#include "support/ScriptedPrompts.h"
#include "support/TypeInto.h"
#include "wave/widgets/WaveDisplay.h"
#include "wave/widgets/WaveWindow.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <csignal>
#include <sys/stat.h>

namespace {

constexpr uint32_t kSeed = 7;
// Colours unlike the defaults, so that the picture shows they were read.
const EnvSettings kColours{{4, 0, 0, 0, 0, 0}, {0x0000FF, 0x00FF00, 0x202020, 0x808080, 0xFFFFFF, 0x00FFFF, 0xFF00FF}};

void writeColours(const QString& path)
{
    const auto bytes = EncodeSettings(kColours);
    writeFileBytes(path, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
}

// The window program in dir (which holds the colours' settings file) on a simulated
// instrument of its own; it never prints here.
struct Window {
    explicit Window(const QString& dir)
    {
        QDir::setCurrent(dir);
        writeColours(QDir(dir).filePath(QStringLiteral("MV_UTL.ENV")));
        MainWindowServices services;
        services.prompts = &prompts;
        services.devicePath = sim.start(SimOptions{.seed = kSeed, .faults = {}, .identity = {}});
        services.endProgram = [] {};
        window = std::make_unique<MainWindow>(core, std::move(services));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(QTest::qWaitFor([this] { return !window->link()->isBusy(); }, 5000));
    }
    void click(const char* name) { QTest::mouseClick(window->findChild<QAbstractButton*>(QLatin1String(name)), Qt::LeftButton); }

    SimulatedInstrument sim;
    ProgramCore core;
    WaveDocument& document = core.document();
    ScriptedPrompts prompts;
    std::unique_ptr<MainWindow> window;
};

// said: once in the one line of standard error; files: those in the folder afterwards; signal:
// sent half a second in, or once the first file exists.
struct StatusCase {
    QStringList arguments;
    int status;
    QString said;
    QStringList files = {"w.RAW"};
    SimOptions sim = {};
    int signal = 0;
};

// start: of OUT, the last argument.
struct ExtensionCase { QStringList arguments; int status; QByteArray start; };

} // namespace

class TestCliEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }

    // The same long capture and setup values: the window's Load from the instrument, its
    // setup dialog and Save, and capture, write the same RAW bytes. On a terminal the bar
    // shows. render then draws what the wave window shows of that file, at its size and colours.
    void captureAsTheWindowSaves()
    {
        const QString file = QStringLiteral("wave.RAW");
        QTemporaryDir windowDir, cliDir;
        Window w(windowDir.path());
        w.click("LengthFlag");
        bool setUp = false;
        whenModalOpens([&](QWidget* dialog) {
            for (auto [name, text] : {std::pair{"SetupCombo_0", "100u"}, {"SetupCombo_1", "2"}, {"SetupCombo_2", "500m"}, {"SetupOffset_0", "0.5"},
                                      {"SetupOffset_1", "-1.3"}, {"Title", "Run 7"}})
                typeInto(dialog->findChild<QWidget*>(QLatin1String(name)), QString::fromLatin1(text));
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1_1")), Qt::LeftButton);
            setUp = true;
        });
        w.prompts.answers.push_back(QMessageBox::Yes);
        w.click("Command1_10");
        QTRY_VERIFY_WITH_TIMEOUT(setUp && !w.window->link()->isBusy() && w.document.record().FreshCapture == kFalse, 30000);
        w.prompts.fileNames.push_back(windowDir.filePath(file));
        w.click("Command1_5");

        SimulatedInstrument sim;
        const QStringList arguments{"--port", sim.start(SimOptions{.seed = kSeed, .faults = {}, .identity = {}}), "capture", "--long",
                                    "--out", file, "--sweep", "100u", "--volts1", "2", "--volts2", "500m", "--offset1", "0.5",
                                    "--offset2", "-1.3", "--title", "Run 7"};
        const CliRun run = runCli(arguments, cliDir.path(), {}, true);
        QCOMPARE(run.status, 0);
        const QByteArray saved = fileBytes(windowDir.filePath(file));
        QVERIFY(!saved.isEmpty() && fileBytes(cliDir.filePath(file)) == saved);
        QVERIFY2(run.terminal.contains("\r\x1b[K[####################] CH2 受信中"), run.terminal.right(300).constData());

        for (const char* flag : {"GridFlag", "BaseFlag", "LineFlag"})
            w.click(flag);
        w.prompts.answers.push_back(QMessageBox::No);
        w.prompts.fileNames.push_back(windowDir.filePath(file));
        w.click("Command1_10");
        const QImage shown = w.window->display()->waveWindow()->image();
        const QString size = QStringLiteral("%1x%2").arg(shown.width()).arg(shown.height());
        writeColours(cliDir.filePath(QStringLiteral("MV_UTL.ENV")));
        const CliRun rendered = runCli({"render", file, "w.png", "--size", size, "--grid", "--base", "--dots"}, cliDir.path());
        QCOMPARE(rendered.status, 0);
        QVERIFY(QImage(cliDir.filePath("w.png")).convertToFormat(QImage::Format_RGB32) == shown);
    }

    // convert and render choose the output by its extension (--si the SI CSV); an unwritable
    // place is status 3 and leaves nothing behind (unknown extensions: test_cli_arguments).
    void fileCommandsByExtension_data()
    {
        QTest::addColumn<ExtensionCase>("c");
        QTest::newRow("sigrok session") << ExtensionCase{QStringList{"convert", "w.CSV", "o.sr"}, 0, QByteArray("PK\x03\x04")};
        QTest::newRow("WAV") << ExtensionCase{QStringList{"convert", "w.CSV", "o.WAV"}, 0, QByteArray("RIFF")};
        QTest::newRow("SI CSV")
            << ExtensionCase{QStringList{"convert", "--si", "w.CSV", "o.csv"}, 0, QByteArray("time_s,ch1_V\n0,")};
        QTest::newRow("instrument CSV") << ExtensionCase{QStringList{"convert", "w.CSV", "o.csv"}, 0, QByteArray("TEST1\r\n")};
        QTest::newRow("annotated PDF")
            << ExtensionCase{QStringList{"render", "--annotate", "w.CSV", "o.pdf"}, 0, QByteArray("%PDF")};
        QTest::newRow("SVG") << ExtensionCase{QStringList{"render", "w.CSV", "o.svg"}, 0, QByteArray("<?xml")};
        QTest::newRow("unwritable place") << ExtensionCase{QStringList{"render", "w.CSV", "none/o.svg"}, 3, {}};
    }
    void fileCommandsByExtension()
    {
        QFETCH(ExtensionCase, c);
        auto& [arguments, status, start] = c;
        QTemporaryDir dir;
        writeFileBytes(dir.filePath("w.CSV"), kExampleCsv);
        const CliRun run = runCli(arguments, dir.path());
        QCOMPARE(run.status, status);
        QVERIFY2(fileBytes(dir.filePath(arguments.last())).startsWith(start), run.err.constData());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), status == 0 ? 2 : 1);
    }

    // What a script relies on: the status, one line naming what failed (the port, the
    // file), no partial file, the files already saved and the file that was at the path
    // before kept as they were. A place that cannot be written (a missing folder: the
    // render row above, the same check) is refused before anything goes out (no trace of
    // the link is even started). SIGINT and SIGTERM end a transfer or the wait between
    // captures alike, with their own statuses.
    void statusAndFiles_data()
    {
        QTest::addColumn<StatusCase>("c");
        const QStringList capture{"capture", "--out", "w.RAW", "--trace", "t.log"};
        const QStringList traced{"t.log", "w.RAW"};
        const SimOptions refusing{.faults = {.nakLines = 9}, .identity = {}};
        const SimOptions paced{.paceBaud = 2400, .faults = {}, .identity = {}};
        using namespace std::chrono_literals;
        QTest::newRow("silent")
            << StatusCase{capture, 2, "/dev/pts/", traced, {.faults = {.answerLines = 0}, .identity = {}}};
        QTest::newRow("RUN refused") << StatusCase{{"run"}, 2, "RUN", {"w.RAW"}, refusing};
        QTest::newRow("sweep refused, no capture")
            << StatusCase{{"capture", "--single", "--out", "w.RAW"}, 2, "WSGL", {"w.RAW"}, refusing};
        QTest::newRow("sweep time-out")
            << StatusCase{{"single", "--timeout", "0.3"}, 2, "0.3 秒", {"w.RAW"}, {.sweepTime = 24h, .faults = {}, .identity = {}}};
        QTest::newRow("not an identity")
            << StatusCase{{"identify"}, 2, "読み取れませんでした", {"w.RAW"}, {.faults = {}, .identity = "\x06\x15%!,\x80"}};
        QTest::newRow("a file as the port")
            << StatusCase{{"identify", "--port", "w.RAW"}, 2, "w.RAW はシリアルデバイスではありません"};
        QTest::newRow("info on a FIFO") << StatusCase{{"info", "fifo.csv"}, 3, "fifo.csv"};
        QTest::newRow("a folder in the way") << StatusCase{{"capture", "--out", "d.RAW", "--trace", "t.log"}, 3, "d.RAW"};
        QTest::newRow("settings not a file") << StatusCase{{"run", "--settings", "d.RAW"}, 3, "d.RAW"};
        QTest::newRow("Ctrl+C in a transfer") << StatusCase{capture, 130, "", traced, paced, SIGINT};
        QTest::newRow("SIGTERM in a transfer") << StatusCase{capture, 143, "", traced, paced, SIGTERM};
        QTest::newRow("Ctrl+C between captures")
            << StatusCase{capture + QStringList{"--repeat", "3", "--every", "60", "--quiet"}, 130, "",
                          {"t.log", "w-0001.RAW", "w.RAW"}, {}, SIGINT};
        QTest::newRow("every shorter than a capture")
            << StatusCase{{"capture", "--out", "v.RAW", "--repeat", "3", "--every", "0.001"}, 0, "--every",
                          {"v-0001.RAW", "v-0002.RAW", "v-0003.RAW", "w.RAW"}};
    }
    void statusAndFiles()
    {
        QFETCH(StatusCase, c);
        auto& [arguments, status, said, files, sim, signal] = c;
        QTemporaryDir dir;
        writeFileBytes(dir.filePath("w.RAW"), "old");
        QVERIFY(mkfifo(qPrintable(dir.filePath("fifo.csv")), 0600) == 0);
        QVERIFY(QDir(dir.path()).mkdir("d.RAW"));
        SimulatedInstrument instrument;
        const QDeadlineTimer halfSecond(500);
        bool sent = signal == 0;
        const QStringList port{"--port", instrument.start(sim)};
        const CliRun run = runCli(arguments.contains("--port") ? arguments : arguments + port, dir.path(), [&](QProcess& process) {
            if (!sent && (files.size() <= 2 ? halfSecond.hasExpired() : QFile::exists(dir.filePath(files[1]))))
                sent = kill(pid_t(process.processId()), signal) == 0;
        });
        QCOMPARE(run.status, status);
        if (status != 0)
            QCOMPARE(run.err.count('\n'), 1);
        QVERIFY2(said.isEmpty() || QString::fromUtf8(run.err).count(said) == 1, run.err.constData());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), files);
        QCOMPARE(fileBytes(dir.filePath("w.RAW")), QByteArray("old"));
    }

    // After a capture interrupted mid-block the instrument still sends the rest of it;
    // the next run reads it off instead of taking it for the identity.
    void staleInputIsReadOff()
    {
        QTemporaryDir dir;
        SimulatedInstrument instrument;
        const QString device = instrument.start(SimOptions{.paceBaud = 38400, .faults = {}, .identity = {}});
        const QDeadlineTimer soon(300);
        bool sent = false;
        const CliRun broken = runCli({"capture", "--out", "w.RAW", "--port", device}, dir.path(), [&](QProcess& process) {
            if (soon.hasExpired() && !sent)
                sent = kill(pid_t(process.processId()), SIGINT) == 0;
        });
        QCOMPARE(broken.status, 130);
        const CliRun identify = runCli({"identify", "--port", device}, dir.path());
        QCOMPARE(identify.status, 0);
        QCOMPARE(identify.out, QByteArray("MIRAVO\nKT-4410\nSIM00001\n1.00\n"));
    }

    // The window program's usage errors go to standard error, status 1, with no dialog a
    // script would wait on (the watchdog would end a program that waits).
    void windowProgramUsageError()
    {
        QProcess program;
        program.start(QStringLiteral(MIRAVO_LINK_PATH), {"--frob"});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(program.readAllStandardError().contains("--frob"));
    }
};

QTEST_MAIN(TestCliEndToEnd)
#include "test_cli_end_to_end.moc"
