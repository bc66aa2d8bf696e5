#include "link/InstrumentLink.h"

#include "link/CommEvents.h"
#include "link/LinkError.h"
#include "link/LinkTrace.h"
#include "link/LinkWorker.h"
#include "link/QtSerialLine.h"

#include <QElapsedTimer>
#include <QThread>

namespace {

const char* jobName(LinkJob job)
{
    switch (job) {
    case LinkJob::ApplySettings: return "ApplySettings";
    case LinkJob::Run: return "RUN";
    case LinkJob::Stop: return "STOP";
    case LinkJob::SingleSweep: return "SingleSweep";
    case LinkJob::ReadIdentity: return "ReadIdentity";
    case LinkJob::Download: return "DownloadChannel";
    case LinkJob::Diagnose: return "Diagnose";
    }
    return "?";
}

} // namespace

template <class Emitter>
void InstrumentLink::deliver(Emitter emitter)
{
    QMetaObject::invokeMethod(
        this,
        [this, emitter = std::move(emitter)] {
            if (!m_shutDown)
                emitter();
        },
        Qt::QueuedConnection);
}

struct InstrumentLink::Thread {
    QThread thread;
    QObject context;                    // lives on the thread; jobs are posted to it
    std::unique_ptr<LinkWorker> worker; // created, used and destroyed on the thread only
    std::stop_source stop;              // of the running job
    LinkJob job = LinkJob::ApplySettings; // the running job; used on the thread only
};

InstrumentLink::InstrumentLink(QObject* parent, LinkTimeouts timeouts) : QObject(parent), m_thread(new Thread)
{
    m_thread->thread.setObjectName(QStringLiteral("instrument link"));
    m_thread->context.moveToThread(&m_thread->thread);
    m_thread->thread.start();
    QMetaObject::invokeMethod(&m_thread->context, [this, timeouts] {
        auto onCommEvent = [this](int code) {
            qCDebug(lcLink, "communication event %d", code);
            deliver([this, code] { emit commEvent(code, CommEventText(code)); });
        };
        // A port lost between jobs is closed at once and the window told.
        auto onLost = [this] {
            QMetaObject::invokeMethod(
                &m_thread->context,
                [this] {
                    if (!m_thread->worker)
                        return;
                    m_thread->worker->closeIfLost();
                    deliver([this, state = m_thread->worker->state()] { publish(state); });
                },
                Qt::QueuedConnection);
        };
        SessionEvents events;
        events.refused = [this](const QString& message) {
            deliver([this, job = m_thread->job, message] { emit commandRefused(job, message); });
        };
        events.draining = [this](std::chrono::milliseconds left) {
            deliver([this, left] { emit lineDraining(left.count()); });
        };
        events.drained = [this] { deliver([this] { emit lineDrained(); }); };
        m_thread->worker =
            std::make_unique<LinkWorker>(std::make_unique<QtSerialLine>(onCommEvent, onLost), timeouts, events);
    });
}

InstrumentLink::~InstrumentLink()
{
    shutdown();
}

void InstrumentLink::publish(const LinkState& state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged(m_state);
}

// work runs on the worker thread and returns the function that hands its result over
// on this thread; a failure or a stop request skips that and is reported instead.
template <class Work>
bool InstrumentLink::post(LinkJob job, Work work)
{
    if (m_busy || m_shutDown)
        return false;
    m_busy = true;
    m_thread->stop = std::stop_source();
    emit jobStarted(job);
    QMetaObject::invokeMethod(&m_thread->context, [this, job, work = std::move(work), stop = m_thread->stop.get_token()] {
        LinkWorker& worker = *m_thread->worker;
        m_thread->job = job;
        qCDebug(lcLink, "-- %s", jobName(job));
        QElapsedTimer clock;
        clock.start();
        std::function<void()> handOver;
        JobResult result = JobResult::Succeeded;
        QString message;
        try {
            handOver = work(worker, stop);
            qCDebug(lcLink, "%s done in %lld ms", jobName(job), clock.elapsed());
        } catch (const LinkError& error) {
            result = JobResult::Failed;
            message = error.message;
            qCDebug(lcLink, "%s failed after %lld ms: %s", jobName(job), clock.elapsed(), qUtf8Printable(message));
        } catch (const LinkCancelled&) {
            result = JobResult::Cancelled;
            qCDebug(lcLink, "%s cancelled after %lld ms", jobName(job), clock.elapsed());
        }
        const LinkState state = worker.state();
        QMetaObject::invokeMethod(
            this,
            [this, job, result, message, state, handOver] {
                if (m_shutDown)
                    return;
                m_busy = false;
                publish(state);
                if (job == LinkJob::ApplySettings && result != JobResult::Cancelled)
                    emit settingsApplied(m_state);
                if (handOver)
                    handOver();
                if (result == JobResult::Failed)
                    emit jobFailed(job, message);
                emit jobFinished(job, result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

bool InstrumentLink::applySettings(const EnvSettings& settings, const QString& devicePath)
{
    return post(LinkJob::ApplySettings, [this, settings, devicePath](LinkWorker& worker, std::stop_token) {
        QStringList warnings;
        worker.applySettings(settings, devicePath, warnings);
        return std::function<void()>([this, warnings] {
            for (const QString& text : warnings)
                emit warning(text);
        });
    });
}

bool InstrumentLink::run()
{
    return post(LinkJob::Run, [](LinkWorker& worker, std::stop_token stop) {
        worker.sendCommand("RUN", stop);
        return std::function<void()>();
    });
}

bool InstrumentLink::stop()
{
    return post(LinkJob::Stop, [](LinkWorker& worker, std::stop_token stop) {
        worker.sendCommand("STOP", stop);
        return std::function<void()>();
    });
}

bool InstrumentLink::singleSweep()
{
    return post(LinkJob::SingleSweep, [this](LinkWorker& worker, std::stop_token stop) {
        const int status = worker.singleSweep(stop);
        return std::function<void()>([this, status] { emit sweepFinished(status); });
    });
}

bool InstrumentLink::readIdentity()
{
    return post(LinkJob::ReadIdentity, [this](LinkWorker& worker, std::stop_token stop) {
        const QStringList fields = worker.readIdentity(stop);
        return std::function<void()>([this, fields] { emit identityRead(fields); });
    });
}

bool InstrumentLink::downloadChannel(int channel, int points)
{
    return post(LinkJob::Download, [this, channel, points](LinkWorker& worker, std::stop_token stop) {
        auto progress = [this, channel](qint64 received, qint64 total) {
            deliver([=, this] { emit downloadProgress(channel, received, total); });
        };
        const QByteArray bytes = worker.downloadChannel(channel, points, stop, progress);
        return std::function<void()>([this, channel, bytes] { emit channelDownloaded(channel, bytes); });
    });
}

bool InstrumentLink::diagnose(const EnvSettings& settings, const QString& devicePath, SerialPortLister lister,
                              DoctorLimits limits)
{
    return post(LinkJob::Diagnose, [=, this](LinkWorker& worker, std::stop_token stop) {
        DoctorEvents events;
        events.step = [this](const DoctorStepReport& report) { deliver([this, report] { emit doctorStep(report); }); };
        events.trying = [this](int speed, const QByteArray& delimiter) {
            deliver([this, speed, delimiter] { emit doctorTrying(speed, delimiter); });
        };
        const Diagnosis diagnosis = worker.diagnose(settings, devicePath, lister, stop, events, limits);
        return std::function<void()>([this, diagnosis] { emit diagnosed(diagnosis); });
    });
}

void InstrumentLink::cancel()
{
    if (m_busy)
        m_thread->stop.request_stop();
}

void InstrumentLink::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_thread->stop.request_stop();
    // The port is closed and destroyed on the thread that owns it, after the running job
    // has seen the stop request (within one short wait).
    QMetaObject::invokeMethod(&m_thread->context, [this] {
        m_thread->worker.reset();
        m_thread->thread.quit();
    });
    m_thread->thread.wait();
    m_busy = false;
    m_state.open = false;
}
