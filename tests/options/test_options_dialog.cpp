#include "options/OptionsDialog.h"
#include "support/FileNodes.h"
#include "support/ScriptedPrompts.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

EnvSettings customSettings()
{
    EnvSettings s;
    s.Com = {1, 1, 2, 1, 1, 1};
    s.Color = {0x0000FF, 0x00FF00, 0xFF0000, 0x101010, 0x202020, 0x303030, 0x404040};
    return s;
}

// What the user does before closing, and whether the settings and the file take it.
enum class Edit { ComStandard, ColorStandard, PickColor3, ColorDialogCancelled };

// closeWith: the button; the close box rejects as Cancel does.
struct ClosingCase { Edit edit; QString closeWith; bool stored, writable; };

} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT

private slots:
    // The settings shown: each list's entry at the stored index (the file stores the index,
    // so the entries' order matters), the swatches' colours, the colour tab first.
    void loadShowsTheSettings()
    {
        EnvSettings settings = customSettings();
        ScriptedPrompts prompts;
        OptionsDialog dialog(settings, m_dir.filePath("MV_UTL.ENV").toStdString(), prompts);
        QCOMPARE(dialog.findChild<QTabWidget*>(QStringLiteral("SSTab1"))->currentIndex(), 0);
        const QStringList shown{"57600", "7", "ODD", "2", "CR", "２"};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("EnvCOM_%1").arg(i))->currentText().trimmed(), shown[i]);
        for (int i = 0; i < 7; ++i) {
            auto* swatch = dialog.findChild<QLabel*>(QStringLiteral("EnvColor_%1").arg(i));
            QCOMPARE(swatch->palette().color(QPalette::Window), ColorFromBgr(settings.Color[i]));
        }
    }

    void closing_data()
    {
        QTest::addColumn<ClosingCase>("c");
        QTest::newRow("standard lines, OK") << ClosingCase{Edit::ComStandard, "cmdOK", true, true};
        QTest::newRow("standard colours, OK") << ClosingCase{Edit::ColorStandard, "cmdOK", true, true};
        QTest::newRow("picked colour, OK") << ClosingCase{Edit::PickColor3, "cmdOK", true, true};
        QTest::newRow("colour dialog cancelled, OK") << ClosingCase{Edit::ColorDialogCancelled, "cmdOK", true, true};
        QTest::newRow("picked colour, Cancel") << ClosingCase{Edit::PickColor3, "cmdCancel", false, true};
        // The values stay in use for this run; the user is told the file was not written.
        QTest::newRow("file not writable, OK") << ClosingCase{Edit::ComStandard, "cmdOK", true, false};
    }

    void closing()
    {
        QFETCH(ClosingCase, c);
        auto& [edit, closeWith, stored, writable] = c;
        const std::filesystem::path path = m_dir.filePath(writable ? "closing.ENV" : "missing-folder/closing.ENV").toStdString();
        const EnvSettings before = customSettings();
        QVERIFY(!writable || WriteSettings(path, before).empty());

        EnvSettings settings = before;
        EnvSettings edited = before;
        ScriptedPrompts prompts;
        OptionsDialog dialog(settings, path, prompts);
        switch (edit) {
        case Edit::ComStandard:
            dialog.findChild<QPushButton*>("COMStand")->click();
            edited.Com = {4, 0, 0, 0, 0, 0};
            break;
        case Edit::ColorStandard:
            dialog.findChild<QPushButton*>("ColorStand")->click();
            edited.Color = EnvSettings{}.Color;
            break;
        case Edit::PickColor3:
            prompts.colors.push_back(QColor(0x12, 0x34, 0x56));
            dialog.findChild<QPushButton*>("ColorCommand_3")->click();
            QCOMPARE(prompts.colorTitles, QStringList{"配色指定"});
            edited.Color[3] = 0x563412;
            break;
        case Edit::ColorDialogCancelled:
            dialog.findChild<QPushButton*>("ColorCommand_0")->click();
            break;
        }
        dialog.show();
        dialog.findChild<QPushButton*>(closeWith)->click();
        QVERIFY(!dialog.isVisible());
        const EnvSettings expected = stored ? edited : before;
        QCOMPARE(settings, expected);
        QCOMPARE(prompts.asked.size(), writable ? 0 : 1);
        if (!writable) {
            QVERIFY(prompts.asked[0].text.contains(QStringLiteral("この実行中だけ有効")));
            QVERIFY(!std::filesystem::exists(path));
            return;
        }
        const auto encoded = EncodeSettings(expected);
        QCOMPARE(fileBytes(path), QByteArray(reinterpret_cast<const char*>(encoded.data()), qsizetype(encoded.size())));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestOptionsDialog)
#include "test_options_dialog.moc"
