#pragma once
// The log of a logging run: a UTF-8 CSV file with one header line and one row per capture.
// An existing log with the same header is continued (its capture count goes on); one with
// another header is refused and left untouched. Each row goes out whole in one write and
// is flushed to the disk before append() returns, so a crash leaves only whole rows.

#include <QFile>
#include <QString>
#include <QStringList>

class LogFile {
public:
    // Opens or creates the log at path with this header (the column names). Empty on
    // success, else one Japanese sentence naming the file.
    QString open(const QString& path, const QStringList& header);
    // The last capture number found in a continued log (0 for a new one).
    qint64 lastCapture() const { return m_lastCapture; }
    // Appends one row (the fields, in the header's order) and flushes it to the disk.
    // Empty on success, else the reason naming the file.
    QString append(const QStringList& fields);
    const QString& path() const { return m_path; }
    void close() { m_file.close(); }

    // One CSV field: quoted when it holds a comma, a quote or a line end.
    static QString field(const QString& text);

private:
    QFile m_file;
    QString m_path;
    qint64 m_lastCapture = 0;
};
