#pragma once
// Where miravo-cli writes: results on standard output; failures, notes and the progress
// bar on standard error. The bar is drawn only when standard error is a terminal, and
// neither bar nor notes with --quiet. Everything is UTF-8.

#include <QString>
#include <cstdio>

struct TransferProgress;

class CliConsole {
public:
    CliConsole(std::FILE* out, std::FILE* err, bool quiet, bool errIsTerminal);

    void print(const QString& text);   // as given, on standard output
    void fail(const QString& line);    // always shown
    void note(const QString& line);    // not with --quiet
    // Replaces the bar's line; on a terminal only.
    void progress(const QString& line);
    void endProgress();

private:
    void writeErr(const QString& text);

    std::FILE* m_out;
    std::FILE* m_err;
    bool m_quiet;
    bool m_bar;
    bool m_barShown = false;
};

// "[#########-----------] " and the window's progress text: the bytes of all the
// capture's channels so far, and the time left.
QString ProgressBarLine(const TransferProgress& progress);
