// The whole path: InstrumentLink, its worker thread and QSerialPort against the
// simulated instrument on a real pseudo-terminal.

#include "link/InstrumentLink.h"
#include "link/LinkError.h"
#include "sim/SimWaveform.h"
#include "sim/SimulatedInstrument.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// Short enough for the fault cases, long enough for a loaded machine.
const LinkTimeouts kTimeouts{1000ms, 1000ms, 1000ms};
constexpr int kJobWaitMs = 30000;

struct Outcome {
    JobResult result = JobResult::Failed;
    QString message;
};

struct DrainCase { int paceBaud, points; bool flood, cancelDrain; QString message; };

} // namespace

class TestLinkPty : public QObject {
    Q_OBJECT

    SimulatedInstrument m_sim;
    std::unique_ptr<InstrumentLink> m_link;
    QStringList m_warnings;

    // Posts a job and waits for its end.
    template <class Post>
    Outcome runJob(Post post)
    {
        QSignalSpy finished(m_link.get(), &InstrumentLink::jobFinished);
        QSignalSpy failed(m_link.get(), &InstrumentLink::jobFailed);
        if (!post() || !finished.wait(kJobWaitMs))
            return {JobResult::Failed, QStringLiteral("not accepted or not finished")};
        return {finished.first().at(1).value<JobResult>(), failed.isEmpty() ? QString() : failed.first().at(1).toString()};
    }

    // A fresh simulator and a link opened on it.
    void connectTo(const SimOptions& options, const EnvSettings& settings = {})
    {
        QString error;
        const QString path = m_sim.start(options, &error);
        QVERIFY2(!path.isEmpty(), qPrintable(error));
        m_link = std::make_unique<InstrumentLink>(nullptr, kTimeouts);
        m_warnings.clear();
        connect(m_link.get(), &InstrumentLink::warning, this, [this](const QString& text) { m_warnings << text; });
        QCOMPARE(runJob([&] { return m_link->applySettings(settings, path); }).result, JobResult::Succeeded);
        QVERIFY(m_link->state().open);
        QCOMPARE(m_link->state().portName, path);
    }

private slots:
    void cleanup()
    {
        m_link.reset();
        m_sim.stop();
    }

    void identitySweepAndDownloads()
    {
        // A pseudo-terminal refuses 7 bits and parity: two warnings, and the line works at 8N1.
        connectTo(SimOptions{.seed = 42, .sweepTime = 200ms, .faults = {}, .identity = {}}, EnvSettings{.Com = {0, 1, 1, 0, 1, 0}});
        QCOMPARE(m_link->state().settingsText, QStringLiteral("115200,e,7,1"));
        QCOMPARE(m_warnings.size(), 2);

        QSignalSpy swept(m_link.get(), &InstrumentLink::sweepFinished);
        QSignalSpy downloaded(m_link.get(), &InstrumentLink::channelDownloaded);
        QCOMPARE(runJob([&] { return m_link->readIdentity(); }).result, JobResult::Succeeded);
        QCOMPARE(runJob([&] { return m_link->singleSweep(); }).result, JobResult::Succeeded);
        QCOMPARE(swept.first().at(0).toInt(), 1);
        // The capture the single sweep took, the longest block (channel 1 below).
        QCOMPARE(runJob([&] { return m_link->downloadChannel(2, 102400); }).result, JobResult::Succeeded);
        QCOMPARE(downloaded.last().at(0).toInt(), 2);
        QVERIFY(downloaded.last().at(1).toByteArray().toStdString() == SimWaveform(2, 0, 102400, 42, 1));
        // A block longer than asked: its first points are used, and the exchanges after it are clean.
        m_sim.setFaults({.block = BlockFault::Long});
        QCOMPARE(runJob([&] { return m_link->downloadChannel(1, 5120); }).result, JobResult::Succeeded);
        QVERIFY(downloaded.last().at(1).toByteArray().toStdString() == SimWaveform(1, 0, 5120, 42, 1));
        QCOMPARE(runJob([&] { return m_link->run(); }).result, JobResult::Succeeded);
        QCOMPARE(runJob([&] { return m_link->stop(); }).result, JobResult::Succeeded);
    }

    // Only a lost device closes the port: reads that come back empty while bytes pour in
    // (here a second reader of the line takes them first) do not. A loss is told, also
    // between jobs, and applySettings opens the port again.
    void portClosesOnlyWhenLost()
    {
        connectTo(SimOptions{.sweepTime = 24h, .faults = {}, .identity = {}});
        const QString gone = m_link->state().portName;
        const int thief = ::open(QFile::encodeName(gone).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        QVERIFY(thief >= 0);
        std::jthread taking([thief](std::stop_token stop) {
            char bytes[4096];
            while (!stop.stop_requested())
                if (::read(thief, bytes, sizeof bytes) <= 0)
                    std::this_thread::yield();
        });
        m_sim.setFaults({.flood = true});
        QSignalSpy finished(m_link.get(), &InstrumentLink::jobFinished);
        QVERIFY(m_link->singleSweep());
        QTest::qWait(1000);
        m_link->cancel();
        QVERIFY(!finished.isEmpty() || finished.wait(kJobWaitMs));
        taking.request_stop();
        taking.join();
        ::close(thief);
        QVERIFY(m_link->state().open);

        m_sim.setFaults({.block = BlockFault::HangUp});
        QSignalSpy downloaded(m_link.get(), &InstrumentLink::channelDownloaded);
        QSignalSpy changed(m_link.get(), &InstrumentLink::stateChanged);
        QCOMPARE(runJob([&] { return m_link->downloadChannel(2, 5120); }).message, LinkMessage::portLost(gone));
        QVERIFY(downloaded.isEmpty());
        QVERIFY(!changed.last().at(0).value<LinkState>().open);
        QCOMPARE(runJob([&] { return m_link->run(); }).message, LinkMessage::portClosed(gone));

        const QString path = m_sim.start(SimOptions{});
        QCOMPARE(runJob([&] { return m_link->applySettings(EnvSettings{}, path); }).result, JobResult::Succeeded);
        QVERIFY(changed.last().at(0).value<LinkState>().open);
        QCOMPARE(runJob([&] { return m_link->readIdentity(); }).result, JobResult::Succeeded);

        // Lost between jobs: told without waiting for the next exchange.
        changed.clear();
        m_sim.stop();
        QVERIFY(changed.wait(kJobWaitMs));
        QVERIFY(!m_link->state().open);
    }

    // After a download broken off mid-block, the next job first reads off the rest of the
    // block: visibly, and for no longer than the rest takes at the line's speed and a margin.
    void drainAfterBrokenOffBlock_data()
    {
        QTest::addColumn<DrainCase>("c");
        // The line is set to 115200 baud: 102400 bytes take 8.9 s on it.
        QTest::newRow("the rest is read off, then the exchange") << DrainCase{460800, 102400, false, false, {}};
        QTest::newRow("中止 while reading off") << DrainCase{SimOptions::kPaceAtLineSpeed, 102400, false, true, {}};
        // Told as soon as more has come than the block could still hold, not after the time.
        QTest::newRow("an instrument that keeps sending")
            << DrainCase{SimOptions::kPaceAtLineSpeed, 5120, true, false, LinkMessage::lineNoisy()};
    }
    void drainAfterBrokenOffBlock()
    {
        QFETCH(DrainCase, c);
        auto& [paceBaud, points, flood, cancelDrain, message] = c;
        connectTo(SimOptions{.paceBaud = paceBaud, .faults = {}, .identity = {}}, EnvSettings{.Com = {0, 0, 0, 0, 0, 0}});
        connect(m_link.get(), &InstrumentLink::downloadProgress, this, [&](int, qint64 received) {
            if (received > 0 && m_link->isBusy()) {
                if (flood)
                    m_sim.setFaults({.flood = true});
                m_link->cancel();
            }
        });
        QCOMPARE(runJob([&] { return m_link->downloadChannel(1, points); }).result, JobResult::Cancelled);

        QList<qint64> left;
        QSignalSpy drained(m_link.get(), &InstrumentLink::lineDrained);
        QSignalSpy identity(m_link.get(), &InstrumentLink::identityRead);
        connect(m_link.get(), &InstrumentLink::lineDraining, this, [&](qint64 ms) {
            left << ms;
            if (cancelDrain)
                m_link->cancel();
        });
        const Outcome outcome = runJob([&] { return m_link->readIdentity(); });
        QCOMPARE(outcome.message, message);
        QCOMPARE(outcome.result, cancelDrain ? JobResult::Cancelled : message.isEmpty() ? JobResult::Succeeded : JobResult::Failed);
        // Told, counting down from no more than the rest at 115200 baud and the margin.
        QVERIFY(!left.isEmpty());
        QVERIFY(left.first() <= (points + 12) * 10 * 1000 / 115200 * 5 / 4 + kTimeouts.blockPause.count());
        QVERIFY(std::is_sorted(left.rbegin(), left.rend()));
        QCOMPARE(drained.size(), 1);
        if (flood) {
            // Usable again once the instrument is quiet.
            m_sim.setFaults({});
            QCOMPARE(runJob([&] { return m_link->readIdentity(); }).result, JobResult::Succeeded);
        }
        // The block's bytes (ACK and LF values among them) never made a reply.
        for (const QList<QVariant>& fields : identity)
            QCOMPARE(fields.at(0).toStringList(), (QStringList{"MIRAVO", "KT-4410", "SIM00001", "1.00\r\n"}));
    }

    // One job at a time. The status poll has no overall limit, past every time-out: shut
    // down in the middle of it, the link returns, is silent and refuses from then on. (A
    // cancelled job and the jobs after it: drainAfterBrokenOffBlock.)
    void refuseWhileBusyAndShutdown()
    {
        connectTo(SimOptions{.sweepTime = 24h, .faults = {}, .identity = {}});
        QSignalSpy finished(m_link.get(), &InstrumentLink::jobFinished);
        QVERIFY(m_link->singleSweep());
        QVERIFY(!m_link->readIdentity());
        QTest::qWait(1500);
        m_link->shutdown();
        QVERIFY(!m_link->state().open);
        QVERIFY(!m_link->readIdentity());
        QTest::qWait(50);
        QVERIFY(finished.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLinkPty)
#include "test_link_pty.moc"
