// The connection doctor against problems made real: a missing device, the simulated
// instrument at another speed or delimiter, a silent line, a port another process holds.
// Permission and busy as seen by an unprivileged user are in the cli tests (setpriv).

#include "link/InstrumentLink.h"
#include "link/LineDoctor.h"
#include "link/QtSerialLine.h"
#include "sim/SimulatedInstrument.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const DoctorLimits kQuick{300ms, 28000ms};

EnvSettings lineSettings(int16_t speedIndex, int16_t delimiterIndex)
{
    EnvSettings settings;
    settings.Com[0] = speedIndex;
    settings.Com[4] = delimiterIndex;
    return settings;
}

} // namespace

class TestLineDoctor : public QObject {
    Q_OBJECT

    SimulatedInstrument m_sim;

private slots:
    void cleanup() { m_sim.stop(); }

    void diagnosis_data()
    {
        QTest::addColumn<int>("instrumentSpeed"); // 0: no simulator, the device is missing
        QTest::addColumn<int>("answerLines");
        QTest::addColumn<int>("settingsSpeed");   // list positions
        QTest::addColumn<int>("settingsDelimiter");
        QTest::addColumn<DoctorProblem>("problem");
        QTest::addColumn<int>("foundSpeed");      // baud; 0: nothing found
        QTest::addColumn<int>("tries");
        QTest::newRow("missing device") << 0 << -1 << 4 << 0 << DoctorProblem::Missing << 0 << 0;
        QTest::newRow("answers as set") << 9600 << -1 << 4 << 0 << DoctorProblem::None << 9600 << 0;
        QTest::newRow("instrument at 19200") << 19200 << -1 << 4 << 0 << DoctorProblem::Settings << 19200 << 7;
        QTest::newRow("instrument at 2400, LF set") << 2400 << -1 << 0 << 1 << DoctorProblem::Settings << 2400 << 12;
        QTest::newRow("fastest speed first") << 115200 << -1 << 6 << 1 << DoctorProblem::Settings << 115200 << 1;
        QTest::newRow("silent line") << 9600 << 0 << 4 << 0 << DoctorProblem::NoAnswer << 0 << 13;
    }
    void diagnosis()
    {
        QFETCH(int, instrumentSpeed);
        QFETCH(int, answerLines);
        QFETCH(int, settingsSpeed);
        QFETCH(int, settingsDelimiter);
        QFETCH(DoctorProblem, problem);
        QFETCH(int, foundSpeed);
        QFETCH(int, tries);

        QString device = QStringLiteral("/dev/miravo-no-such-port");
        if (instrumentSpeed > 0) {
            SimOptions options;
            options.lineSpeed = instrumentSpeed;
            options.faults.answerLines = answerLines;
            device = m_sim.start(options);
            QVERIFY(!device.isEmpty());
        }
        const std::vector<SerialPortEntry> present{{QStringLiteral("/dev/ttyUSB7"), {}, {}, {}}};
        QtSerialLine line;
        int tried = 0;
        std::vector<DoctorStep> told;
        DoctorEvents events;
        events.step = [&](const DoctorStepReport& report) { told.push_back(report.step); };
        events.trying = [&](int, const QByteArray&) { ++tried; };
        const Diagnosis diagnosis = DiagnoseLine(line, device, lineSettings(int16_t(settingsSpeed), int16_t(settingsDelimiter)),
                                                 [&] { return present; }, {}, events, kQuick);

        QCOMPARE(diagnosis.problem, problem);
        QCOMPARE(diagnosis.port, device);
        QCOMPARE(tried, tries);
        QCOMPARE(diagnosis.found ? diagnosis.found->speed() : 0, foundSpeed);
        // The simulator takes either delimiter: the settings' one is tried first.
        if (diagnosis.found)
            QCOMPARE(diagnosis.found->delimiterIndex, settingsDelimiter);
        QCOMPARE(diagnosis.identity.size(), foundSpeed ? 4 : 0);
        QCOMPARE(diagnosis.steps.size(), told.size());
        QCOMPARE(told.back(), diagnosis.problem == DoctorProblem::Missing ? DoctorStep::Exists
                              : diagnosis.problem == DoctorProblem::None  ? DoctorStep::Answer
                                                                          : DoctorStep::Search);
        QCOMPARE(diagnosis.advice.contains(QStringLiteral("/dev/ttyUSB7")), problem == DoctorProblem::Missing);
        QVERIFY(!line.isOpen());
    }

    // However many tries are left, the search stops at its time limit.
    void searchEndsAtItsLimit()
    {
        SimOptions silent;
        silent.faults.answerLines = 0;
        const QString device = m_sim.start(silent);
        QtSerialLine line;
        int tried = 0;
        DoctorEvents events;
        events.trying = [&](int, const QByteArray&) { ++tried; };
        const Diagnosis diagnosis = DiagnoseLine(line, device, EnvSettings{}, {}, {}, events, {300ms, 1000ms});
        QCOMPARE(diagnosis.problem, DoctorProblem::NoAnswer);
        QVERIFY2(tried >= 1 && tried < 6, qPrintable(QString::number(tried)));
    }

    // Another process holding the port is named with its process id and program.
    void holderFromProc()
    {
        const QString device = m_sim.start(SimOptions{});
        QProcess holder;
        holder.setStandardInputFile(device);
        holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(holder.waitForStarted());
        const std::optional<PortHolder> found = FindPortHolder(device);
        const qint64 pid = holder.processId();
        holder.kill();
        holder.waitForFinished();
        QVERIFY(found);
        QCOMPARE(found->pid, pid);
        QCOMPARE(found->command, QStringLiteral("sleep"));
        // This process holds the terminal side too (the simulator does), and does not count.
        QVERIFY(!FindPortHolder(device));
    }

    // In the window the doctor runs as a link job; the port is open as the settings say
    // afterwards, whatever the search tried last.
    void linkReopensAsSet()
    {
        SimOptions at38400;
        at38400.lineSpeed = 38400;
        const QString device = m_sim.start(at38400);
        InstrumentLink link;
        QSignalSpy finished(&link, &InstrumentLink::jobFinished);
        QVERIFY(link.applySettings(EnvSettings{}, device));
        QVERIFY(finished.wait());
        std::optional<Diagnosis> result;
        connect(&link, &InstrumentLink::diagnosed, this, [&](const Diagnosis& diagnosis) { result = diagnosis; });
        QVERIFY(link.diagnose(EnvSettings{}, device, {}, kQuick));
        QVERIFY(finished.wait(30000));
        QVERIFY(result);
        QCOMPARE(result->problem, DoctorProblem::Settings);
        QCOMPARE(result->found->speed(), 38400);
        QVERIFY(link.state().open);
        QCOMPARE(link.state().settingsText, QStringLiteral("9600,n,8,1"));
    }
};

QTEST_GUILESS_MAIN(TestLineDoctor)
#include "test_line_doctor.moc"
