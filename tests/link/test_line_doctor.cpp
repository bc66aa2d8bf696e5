// The connection doctor against problems made real: the simulated instrument at another
// speed or delimiter, a silent line, a port another process holds. A missing device, and
// permission and busy as seen by an unprivileged user, are in the cli tests (setpriv); the
// list of devices present in the window's test.

#include "link/InstrumentLink.h"
#include "link/LineDoctor.h"
#include "link/QtSerialLine.h"
#include "sim/SimulatedInstrument.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const DoctorLimits kQuick{300ms, 28000ms};

// answerLines: -1 answers everything, 0 a silent line; speed and delimiter as list positions.
struct DiagnosisCase {
    int instrumentSpeed, answerLines;
    int16_t speedIndex, delimiterIndex;
    DoctorProblem problem;
    int tries;
};

} // namespace

class TestLineDoctor : public QObject {
    Q_OBJECT

    SimulatedInstrument m_sim;

private slots:
    void cleanup() { m_sim.stop(); }

    void diagnosis_data()
    {
        QTest::addColumn<DiagnosisCase>("c");
        QTest::newRow("answers as set") << DiagnosisCase{9600, -1, 4, 0, DoctorProblem::None, 0};
        QTest::newRow("instrument at 19200") << DiagnosisCase{19200, -1, 4, 0, DoctorProblem::Settings, 7};
        QTest::newRow("instrument at 2400, LF set") << DiagnosisCase{2400, -1, 0, 1, DoctorProblem::Settings, 12};
        QTest::newRow("fastest speed first") << DiagnosisCase{115200, -1, 6, 1, DoctorProblem::Settings, 1};
        QTest::newRow("silent line") << DiagnosisCase{9600, 0, 4, 0, DoctorProblem::NoAnswer, 13};
    }
    void diagnosis()
    {
        QFETCH(DiagnosisCase, c);
        SimOptions options;
        options.lineSpeed = c.instrumentSpeed;
        options.faults.answerLines = c.answerLines;
        const QString device = m_sim.start(options);
        QtSerialLine line;
        int tried = 0;
        std::vector<DoctorStep> told;
        DoctorEvents events;
        events.step = [&](const DoctorStepReport& report) { told.push_back(report.step); };
        events.trying = [&](int, const QByteArray&) { ++tried; };
        EnvSettings settings;
        settings.Com[0] = c.speedIndex;
        settings.Com[4] = c.delimiterIndex;
        const Diagnosis diagnosis = DiagnoseLine(line, device, settings, {}, {}, events, kQuick);

        QCOMPARE(diagnosis.problem, c.problem);
        QCOMPARE(diagnosis.port, device);
        QCOMPARE(tried, c.tries);
        const bool answered = c.problem != DoctorProblem::NoAnswer;
        QCOMPARE(diagnosis.found ? diagnosis.found->speed() : 0, answered ? c.instrumentSpeed : 0);
        // The simulator takes either delimiter: the settings' one is tried first.
        if (diagnosis.found)
            QCOMPARE(diagnosis.found->delimiterIndex, c.delimiterIndex);
        QCOMPARE(diagnosis.identity.size(), answered ? 4 : 0);
        QCOMPARE(diagnosis.steps.size(), told.size());
        QCOMPARE(told.back(), c.problem == DoctorProblem::None ? DoctorStep::Answer : DoctorStep::Search);
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
