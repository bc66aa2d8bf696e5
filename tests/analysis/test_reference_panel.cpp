// The reference panel driven as a user does: buttons clicked, the tolerance typed, the file
// and colour dialogs answered by script; what it did is read from the reference set.

#include "document/ReferenceSet.h"
#include "document/WaveDocument.h"
#include "analysis/widgets/ReferencePanel.h"
#include "support/ExampleWave.h"
#include "support/ScriptedPrompts.h"
#include "support/ShownText.h"
#include "support/TypeInto.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Panel {
    WaveDocument document;
    ReferenceSet references;
    ScriptedPrompts prompts;
    ReferencePanel panel{document, references, prompts};
    QTemporaryDir dir;

    Panel()
    {
        document.applyFile(exampleRecord());
        panel.show();
        if (!QTest::qWaitForWindowExposed(&panel))
            qFatal("panel not shown");
    }
    template <typename T = QPushButton>
    T* at(const char* name, int slot) const
    {
        return panel.findChild<T*>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(slot));
    }
    void click(const char* name, int slot) const { QTest::mouseClick(at<QWidget>(name, slot), Qt::LeftButton); }
    QString file(const QString& name, const QByteArray& bytes) const
    {
        QFile out(dir.filePath(name));
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        return out.fileName();
    }
    void typeTolerance(const QString& text) const
    {
        auto* box = panel.findChild<QLineEdit*>(QStringLiteral("RefTolerance"));
        typeInto(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
};

} // namespace

class TestReferencePanel : public QObject {
    Q_OBJECT
private slots:
    void userActions()
    {
        Panel p;
        p.click("RefKeep", 0);
        QVERIFY(p.references.record(0));
        QCOMPARE(p.references.record(0)->Samples(1, 2), int16_t(-40));
        QCOMPARE(p.references.chosen(), 0);
        QVERIFY(p.at<QCheckBox>("RefShow", 0)->isChecked());

        // A file whose name is markup: read as the window reads files, named as plain text.
        p.prompts.fileNames.push_back(p.file(QStringLiteral("<b>golden<i>.CSV"), kExampleCsv));
        p.click("RefLoad", 1);
        QVERIFY(p.references.record(1));
        QCOMPARE(p.references.record(1)->SecondsPerSample, 1e-6f);   // 500 us/DIV over 500
        QCOMPARE(shownText(p.at<QLabel>("RefSource", 1)), QStringLiteral("<b>golden<i>.CSV"));

        p.click("RefShow", 0);
        QVERIFY(!p.references.isShown(0));
        p.click("RefChoose", 1);
        QCOMPARE(p.references.chosen(), 1);
        p.click("RefClear", 0);
        QVERIFY(!p.references.record(0));
        QVERIFY(!p.at<QCheckBox>("RefShow", 0)->isEnabled());

        p.prompts.colors.push_back(QColor(0x12, 0x34, 0x56));
        p.click("RefColor", 2);
        QCOMPARE(p.prompts.colorTitles, QStringList{"R3 の色"});
        QCOMPARE(p.references.color(2), 0x563412);

        // A file that cannot be a reference says why and leaves the slot as it was.
        p.prompts.fileNames.push_back(p.file(QStringLiteral("wave.CSV"), "hello\r\n"));
        p.click("RefLoad", 1);
        QCOMPARE(p.prompts.asked.size(), 1);
        QVERIFY(p.prompts.asked[0].text.contains(QStringLiteral("wave.CSV")));
        QCOMPARE(shownText(p.at<QLabel>("RefSource", 1)), QStringLiteral("<b>golden<i>.CSV"));

        // A tolerance that is no voltage is refused beside the box and the band stays.
        p.typeTolerance(QStringLiteral("50m"));
        p.typeTolerance(QStringLiteral("-1"));
        QCOMPARE(p.references.tolerance(), std::optional(0.05));
        QVERIFY(!shownText(p.panel.findChild<QLabel*>(QStringLiteral("RefToleranceProblem"))).isEmpty());
    }
};

QTEST_MAIN(TestReferencePanel)
#include "test_reference_panel.moc"
