#pragma once
// The link's trace: every line sent, every ACK and NAK, every reply line, block headers,
// byte counts and timings, and why an exchange failed. Off by default; StartLinkTrace
// turns it on and appends it to a file a user can send when an instrument misbehaves
// (QT_LOGGING_RULES="miravo.link.debug=true" sends it to the console instead).

#include <QByteArrayView>
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcLink)

// Bytes as readable text in quotes: printable ASCII as is, CR, LF and TAB as \r \n \t,
// anything else as \xNN; a long run is cut after its first 120 bytes.
QString TraceText(QByteArrayView bytes);

// Turns the trace on and appends it, one time-stamped line each, to the file at path
// (created when missing). False with *error set (in Japanese) when path names anything but
// a regular file (a dangling link included) or cannot be opened; the trace then stays as it was.
bool StartLinkTrace(const QString& path, QString* error);
