// The whole path: InstrumentLink, its worker thread and QSerialPort against the
// simulated instrument on a real pseudo-terminal.

#include "link/InstrumentLink.h"
#include "link/LinkError.h"
#include "sim/SimWaveform.h"
#include "sim/SimulatedInstrument.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// Short enough for the fault cases, long enough for a loaded machine.
const LinkTimeouts kTimeouts{1000ms, 1000ms, 1000ms};
constexpr int kJobWaitMs = 30000;

struct Outcome {
    bool accepted = false;
    JobResult result = JobResult::Failed;
    QString message;
};

// Posts a job and waits for its end.
template <class Post>
Outcome runJob(InstrumentLink& link, Post post)
{
    QSignalSpy finished(&link, &InstrumentLink::jobFinished);
    QSignalSpy failed(&link, &InstrumentLink::jobFailed);
    Outcome outcome;
    outcome.accepted = post();
    if (!outcome.accepted || !finished.wait(kJobWaitMs))
        return outcome;
    outcome.result = finished.first().at(1).value<JobResult>();
    if (!failed.isEmpty())
        outcome.message = failed.first().at(1).toString();
    return outcome;
}

} // namespace

class TestLinkPty : public QObject {
    Q_OBJECT

    SimulatedInstrument m_sim;
    std::unique_ptr<InstrumentLink> m_link;
    QStringList m_warnings;

    // A fresh simulator and a link opened on it.
    void connectTo(const SimOptions& options, const EnvSettings& settings = {})
    {
        QString error;
        const QString path = m_sim.start(options, &error);
        QVERIFY2(!path.isEmpty(), qPrintable(error));
        m_link = std::make_unique<InstrumentLink>(nullptr, kTimeouts);
        m_warnings.clear();
        connect(m_link.get(), &InstrumentLink::warning, this, [this](const QString& text) { m_warnings << text; });
        const Outcome applied = runJob(*m_link, [&] { return m_link->applySettings(settings, path); });
        QCOMPARE(applied.result, JobResult::Succeeded);
        QVERIFY(m_link->state().open);
        QCOMPARE(m_link->state().portName, path);
    }

private slots:
    void cleanup()
    {
        m_link.reset();
        m_sim.stop();
    }

    void identityAndSingleSweep()
    {
        SimOptions options;
        options.seed = 42;
        options.sweepTime = 200ms;
        // A pseudo-terminal refuses 7 bits and parity: two warnings, and the line works at 8N1.
        EnvSettings env;
        env.Com = {0, 1, 1, 0, 1, 0};
        connectTo(options, env);
        QCOMPARE(m_link->state().settingsText, QStringLiteral("115200,e,7,1"));
        QCOMPARE(m_link->state().delimiter, QByteArray("\n"));
        QCOMPARE(m_warnings.size(), 2);

        QSignalSpy identity(m_link.get(), &InstrumentLink::identityRead);
        QCOMPARE(runJob(*m_link, [&] { return m_link->readIdentity(); }).result, JobResult::Succeeded);
        QCOMPARE(identity.first().at(0).toStringList(), (QStringList{"MIRAVO", "KT-4410", "SIM00042", "1.00\r\n"}));

        QSignalSpy swept(m_link.get(), &InstrumentLink::sweepFinished);
        QCOMPARE(runJob(*m_link, [&] { return m_link->singleSweep(); }).result, JobResult::Succeeded);
        QCOMPARE(swept.first().at(0).toInt(), 1);
        QCOMPARE(runJob(*m_link, [&] { return m_link->run(); }).result, JobResult::Succeeded);
        QCOMPARE(runJob(*m_link, [&] { return m_link->stop(); }).result, JobResult::Succeeded);
    }

    void longDownloadOfBothChannels()
    {
        SimOptions options;
        options.seed = 9;
        connectTo(options);
        QSignalSpy downloaded(m_link.get(), &InstrumentLink::channelDownloaded);
        QSignalSpy progress(m_link.get(), &InstrumentLink::downloadProgress);
        for (int channel : {1, 2})
            QCOMPARE(runJob(*m_link, [&] { return m_link->downloadChannel(channel, 102400); }).result,
                     JobResult::Succeeded);
        QCOMPARE(downloaded.size(), 2);
        for (int i : {0, 1}) {
            QCOMPARE(downloaded[i].at(0).toInt(), i + 1);
            const QByteArray bytes = downloaded[i].at(1).toByteArray();
            QVERIFY(bytes.toStdString() == SimWaveform(i + 1, 0, 102400, 9, 0));
        }
        QCOMPARE(progress.last().at(1).toLongLong(), 102400);
        QCOMPARE(progress.last().at(2).toLongLong(), 102400);
    }

    void faults_data()
    {
        QTest::addColumn<int>("job"); // 0 identity, 1 download
        QTest::addColumn<SimFaults>("faults");
        QTest::addColumn<QString>("message");
        SimFaults f;
        f.garbageBeforeAck = true;
        f.nakLines = 8;
        QTest::newRow("noise and eight NAKs are survived") << 1 << f << QString();
        f = {};
        f.nakLines = 9;
        QTest::newRow("nine NAKs, then no reply") << 0 << f << LinkMessage::noReply();
        f = {};
        f.answerLines = 0;
        QTest::newRow("silent") << 0 << f << LinkMessage::noAck();
        f.answerLines = 2;
        QTest::newRow("silent inside the download") << 1 << f << LinkMessage::noAck();
        f = {};
        f.block = BlockFault::Short;
        QTest::newRow("short block") << 1 << f << LinkMessage::blockStalled();
        f.block = BlockFault::Long;
        QTest::newRow("long block") << 1 << f << LinkMessage::countMismatch(5136, 5120);
        f.block = BlockFault::BadCount;
        QTest::newRow("count not a number") << 1 << f << LinkMessage::badCount();
    }
    void faults()
    {
        QFETCH(int, job);
        QFETCH(SimFaults, faults);
        QFETCH(QString, message);
        connectTo(SimOptions{});
        m_sim.setFaults(faults);
        QSignalSpy downloaded(m_link.get(), &InstrumentLink::channelDownloaded);
        QSignalSpy identity(m_link.get(), &InstrumentLink::identityRead);
        const Outcome outcome = runJob(*m_link, [&] {
            return job == 0 ? m_link->readIdentity() : m_link->downloadChannel(1, 5120);
        });
        QCOMPARE(outcome.message, message);
        QCOMPARE(outcome.result, message.isEmpty() ? JobResult::Succeeded : JobResult::Failed);
        // Nothing half-done: a failed job hands back nothing.
        QCOMPARE(downloaded.size() + identity.size(), message.isEmpty() ? 1 : 0);
        if (!message.isEmpty() && m_link->state().open) {
            // The link stays usable once the instrument behaves again.
            m_sim.setFaults({});
            QCOMPARE(runJob(*m_link, [&] { return m_link->readIdentity(); }).result, JobResult::Succeeded);
        }
    }

    void lostPortIsReopenedByApplySettings()
    {
        SimOptions options;
        options.faults.block = BlockFault::HangUp;
        connectTo(options);
        const QString gone = m_link->state().portName;
        QCOMPARE(runJob(*m_link, [&] { return m_link->downloadChannel(2, 5120); }).message, LinkMessage::portLost());
        QVERIFY(!m_link->state().open);
        QCOMPARE(runJob(*m_link, [&] { return m_link->run(); }).message, LinkMessage::portClosed());

        QSignalSpy applied(m_link.get(), &InstrumentLink::settingsApplied);
        const Outcome reopen = runJob(*m_link, [&] { return m_link->applySettings(EnvSettings{}, gone); });
        QCOMPARE(reopen.result, JobResult::Failed);
        QVERIFY(reopen.message.contains(gone));
        QVERIFY(!applied.first().at(0).value<LinkState>().open);

        m_sim.stop();
        const QString path = m_sim.start(SimOptions{});
        QCOMPARE(runJob(*m_link, [&] { return m_link->applySettings(EnvSettings{}, path); }).result,
                 JobResult::Succeeded);
        QCOMPARE(runJob(*m_link, [&] { return m_link->readIdentity(); }).result, JobResult::Succeeded);
    }

    void cancelRefuseAndShutdown()
    {
        SimOptions options;
        options.sweepTime = 24h;
        connectTo(options);
        QSignalSpy finished(m_link.get(), &InstrumentLink::jobFinished);
        QVERIFY(m_link->singleSweep());
        QVERIFY(m_link->isBusy());
        QVERIFY(!m_link->readIdentity());
        QVERIFY(!m_link->downloadChannel(1, 5120));
        QTest::qWait(100);
        QVERIFY(finished.isEmpty());
        m_link->cancel();
        QVERIFY(finished.wait(kJobWaitMs));
        QCOMPARE(finished.first().at(1).value<JobResult>(), JobResult::Cancelled);
        QVERIFY(!m_link->isBusy());

        // Shut down in the middle of an endless wait: returns, is silent and refuses from then on.
        QVERIFY(m_link->singleSweep());
        QTest::qWait(50);
        finished.clear();
        m_link->shutdown();
        QVERIFY(!m_link->state().open);
        QVERIFY(!m_link->readIdentity());
        QTest::qWait(50);
        QVERIFY(finished.isEmpty());
    }

    void cancelMidBlock()
    {
        SimOptions options;
        options.paceBaud = 115200;
        connectTo(options);
        QSignalSpy progress(m_link.get(), &InstrumentLink::downloadProgress);
        QSignalSpy downloaded(m_link.get(), &InstrumentLink::channelDownloaded);
        QSignalSpy finished(m_link.get(), &InstrumentLink::jobFinished);
        QVERIFY(m_link->downloadChannel(1, 102400));
        QVERIFY(progress.wait(kJobWaitMs));
        QVERIFY(progress.wait(kJobWaitMs)); // bytes are arriving
        m_link->cancel();
        QVERIFY(finished.wait(kJobWaitMs));
        QCOMPARE(finished.first().at(1).value<JobResult>(), JobResult::Cancelled);
        QVERIFY(downloaded.isEmpty());
        QVERIFY(progress.last().at(1).toLongLong() < 102400);
    }
};

QTEST_GUILESS_MAIN(TestLinkPty)
#include "test_link_pty.moc"
