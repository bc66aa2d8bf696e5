#include "app/MainWindow.h"
#include "ModalHelper.h"
#include "support/ScriptedPrompts.h"
#include "wave/WaveRecord.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

// A main window loaded in a fresh working directory, with every outside part scripted.
struct Fixture {
    QTemporaryDir dir;
    WaveRecord record;
    EnvSettings settings;
    ScriptedPrompts prompts;
    QStringList helpOpened;
    int endCalls = 0;
    std::unique_ptr<MainWindow> window;

    Fixture()
    {
        QDir::setCurrent(dir.path());
        MainWindowParts parts;
        parts.prompts = &prompts;
        parts.appDir = QStringLiteral("/app dir");
        parts.help.fileExists = [](const QString&) { return true; };
        parts.help.open = [this](const QString& path) {
            helpOpened << path;
            return true;
        };
        parts.endProgram = [this] { ++endCalls; };
        window = std::make_unique<MainWindow>(record, settings, std::move(parts));
    }

    QPushButton* button(int index) const
    {
        return window->findChild<QPushButton*>(QStringLiteral("Command1_%1").arg(index));
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }
    void controls_data();
    void controls();
    void loadSteps();
    void settingsFollowTheWorkingDirectory();
    void loadQuestion_data();
    void loadQuestion();
    void buttonsDuringInstrumentLoad();
    void dispatchIgnoresOtherIndices_data();
    void dispatchIgnoresOtherIndices();
    void aboutOpensModallyEachTime();
    void helpStartsOrTells();
};

void TestMainWindow::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");

    const QList<QPair<QString, QString>> commands{
        {"RUN", "掃引"},
        {"STOP", "掃引停止"},
        {"Single", "単掃引&データー取込"},
        {"ID Read", "MIRAVO 製品情報取得"},
        {"Setup", "取込んだ波形の条件設定"},
        {"Save", "ファイルへの保存"},
        {"Help", "ヘルプの表示"},
        {"About", "このプログラムについて"},
        {"Print", "印刷（PキーでもOK）"},
        {"Option", "オプション設定"},
        {"Load", "データー読込＆取込"},
        {"EXIT", "終了"},
    };
    for (int i = 0; i < commands.size(); ++i) {
        const QString name = QStringLiteral("Command1_%1").arg(i);
        QTest::newRow(qPrintable(name)) << name << commands[i].first << commands[i].second;
    }
    const QList<QPair<QString, QString>> ids{
        {"", "製造メーカー"},     {"", "モデル名"},          {"", "シリアル番号"},  {"", "ﾌｧｰﾑｳｴｱ ﾊﾞｰｼﾞｮﾝ"},
        {"Maker :", "製造メーカー"}, {"Model :", "モデル名"}, {"SerNo.:", "製造番号"}, {"F Ver.:", "ﾌｧｰﾑｳｴｱﾊﾞｰｼﾞｮﾝ"},
    };
    for (int i = 0; i < ids.size(); ++i) {
        const QString name = QStringLiteral("IDLabel_%1").arg(i);
        QTest::newRow(qPrintable(name)) << name << ids[i].first << ids[i].second;
    }
}

void TestMainWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    Fixture f;
    QWidget* control = f.window->findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    if (auto* button = qobject_cast<QPushButton*>(control))
        QCOMPARE(button->text(), caption);
    else
        QCOMPARE(qobject_cast<QLabel*>(control)->text(), caption);
    // A command whose part is not there yet carries a note after its tooltip.
    QVERIFY2(control->toolTip() == tooltip || control->toolTip() == tooltip + QStringLiteral("（準備中）"),
             qPrintable(control->toolTip()));
    QCOMPARE(control->toolTip() == tooltip, control->isEnabled());
}

void TestMainWindow::loadSteps()
{
    Fixture f;
    QCOMPARE(f.window->objectName(), QStringLiteral("frmMain"));
    QCOMPARE(f.window->windowTitle(), QStringLiteral("MIRAVO Link Tool"));
    auto* title = f.window->findChild<QLabel*>("TitleLabel");
    QCOMPARE(title->text(), QStringLiteral("MIRAVO Link Tool"));
    QVERIFY(!title->toolTip().isEmpty());
    QCOMPARE(f.record.LastIndex, 5119);
    QCOMPARE(f.record.Ch1On, int16_t(1));
    QCOMPARE(f.record.Ch2On, int16_t(1));
    QVERIFY(!f.window->isVisible());
}

void TestMainWindow::settingsFollowTheWorkingDirectory()
{
    Fixture f;
    const std::filesystem::path expected = std::filesystem::path(f.dir.path().toStdString()) / "MV_UTL.ENV";
    QCOMPARE(QString::fromStdString(f.window->SettingsPath().string()), QString::fromStdString(expected.string()));
    QVERIFY(std::filesystem::exists(expected));
    // Help is still looked up beside the program.
    f.window->Command1_Click(int(Command::Help));
    QCOMPARE(f.helpOpened.size(), 1);
    QVERIFY(f.helpOpened[0].startsWith(QStringLiteral("/app dir")));
}

void TestMainWindow::loadQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("cancel") << int(QMessageBox::Cancel);
}

void TestMainWindow::loadQuestion()
{
    QFETCH(int, answer);
    Fixture f;
    f.record.Samples(1, 0) = 42;
    const WaveRecord before = f.record;
    f.prompts.answers.push_back(QMessageBox::StandardButton(answer));
    f.window->Command1_Click(int(Command::Load));
    QCOMPARE(f.prompts.asked.size(), 1);
    const ScriptedPrompts::Asked& asked = f.prompts.asked[0];
    QCOMPARE(asked.caption, QStringLiteral("読込先の選択"));
    QCOMPARE(asked.text, QStringLiteral("MIRAVO本体からの読込ですか？"));
    QCOMPARE(asked.icon, QMessageBox::NoIcon);
    QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(asked.defaultButton, QMessageBox::Yes);
    QVERIFY(f.record == before);
}

void TestMainWindow::buttonsDuringInstrumentLoad()
{
    Fixture f;
    std::array<bool, kCommandCount> before{};
    for (int i = 0; i < kCommandCount; ++i)
        before[i] = f.button(i)->isEnabled();
    f.window->setLoadRunning(true);
    for (int i = 0; i <= 10; ++i)
        QVERIFY2(!f.button(i)->isEnabled(), qPrintable(QString::number(i)));
    QVERIFY(f.button(11)->isEnabled());
    // Clicks on disabled buttons reach nothing; EXIT still ends the program.
    f.window->Command1_Click(int(Command::Load));
    QVERIFY(f.prompts.asked.isEmpty());
    f.window->show();
    f.button(11)->click();
    QCOMPARE(f.endCalls, 1);
    QVERIFY(!f.window->isVisible());

    f.window->setLoadRunning(false);
    for (int i = 0; i < kCommandCount; ++i)
        QCOMPARE(f.button(i)->isEnabled(), before[i]);
}

void TestMainWindow::dispatchIgnoresOtherIndices_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("-1") << -1;
    QTest::newRow("12") << 12;
    QTest::newRow("32767") << 32767;
}

void TestMainWindow::dispatchIgnoresOtherIndices()
{
    QFETCH(int, index);
    Fixture f;
    const WaveRecord before = f.record;
    f.window->Command1_Click(index);
    QVERIFY(f.prompts.asked.isEmpty());
    QCOMPARE(f.endCalls, 0);
    QVERIFY(f.record == before);
}

void TestMainWindow::aboutOpensModallyEachTime()
{
    Fixture f;
    for (int opening = 1; opening <= 2; ++opening) {
        QString caption;
        bool modal = false;
        whenModalOpens([&](QWidget* dialog) {
            caption = dialog->windowTitle();
            modal = dialog->isModal();
            qobject_cast<QDialog*>(dialog)->accept();
        });
        f.window->Command1_Click(int(Command::About));
        QCOMPARE(caption, QStringLiteral("MIRAVO Link Toolのﾊﾞｰｼﾞｮﾝ情報"));
        QVERIFY(modal);
        QCOMPARE(f.prompts.beeps, opening);
    }
}

void TestMainWindow::helpStartsOrTells()
{
    Fixture f;
    f.window->Command1_Click(int(Command::Help));
    QVERIFY(f.prompts.asked.isEmpty());
    QCOMPARE(f.helpOpened.size(), 1);
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
