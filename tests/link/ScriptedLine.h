#pragma once
// An in-memory SerialLine for exact wire tests: records what is written and answers each
// written line with the next scripted reply, which arrives in chunks, one chunk per wait.

#include "link/SerialLine.h"

#include <QList>
#include <thread>

class ScriptedLine : public SerialLine {
public:
    QList<QByteArray> replies; // the i-th write is answered by replies[i] (none when past the end)
    QByteArray waiting;        // arrived, not yet read (e.g. left over from an earlier exchange)
    qsizetype chunkSize = 0;   // bytes that arrive per wait; 0: a whole reply at once
    QList<QByteArray> written;

    QString open(const QString&, const LineSettings&, QStringList&) override { return {}; }
    void close() override {}
    QString device() const override { return QStringLiteral("scripted"); }
    bool isOpen() const override { return true; }
    bool write(QByteArrayView bytes) override
    {
        written << bytes.toByteArray();
        if (written.size() <= replies.size())
            m_onTheWire += replies[written.size() - 1];
        return true;
    }
    qint64 bytesWaiting() override { return waiting.size(); }
    QByteArray read(qint64 maxBytes) override
    {
        const QByteArray head = waiting.left(maxBytes);
        waiting.remove(0, head.size());
        return head;
    }
    bool waitForData(std::chrono::milliseconds wait) override
    {
        if (m_onTheWire.isEmpty()) {
            std::this_thread::sleep_for(wait);
            return false;
        }
        const qsizetype n = chunkSize > 0 ? chunkSize : m_onTheWire.size();
        waiting += m_onTheWire.left(n);
        m_onTheWire.remove(0, n);
        return true;
    }
    void discardInput() override { waiting.clear(); }

private:
    QByteArray m_onTheWire;
};
