#include "cli/CliConsole.h"

#include "document/AcquisitionEstimate.h"

namespace {

constexpr int kBarWidth = 20;
// Back to the line's start, then clear to its end.
constexpr char kRedraw[] = "\r\x1b[K";

} // namespace

CliConsole::CliConsole(std::FILE* out, std::FILE* err, bool quiet, bool errIsTerminal)
    : m_out(out), m_err(err), m_quiet(quiet), m_bar(errIsTerminal && !quiet)
{
}

void CliConsole::print(const QString& text)
{
    endProgress();
    std::fputs(text.toUtf8().constData(), m_out);
    std::fflush(m_out);
}

void CliConsole::fail(const QString& line)
{
    endProgress();
    writeErr(QStringLiteral("miravo-cli: ") + line + QLatin1Char('\n'));
}

void CliConsole::note(const QString& line)
{
    if (m_quiet)
        return;
    endProgress();
    writeErr(QStringLiteral("miravo-cli: ") + line + QLatin1Char('\n'));
}

void CliConsole::progress(const QString& line)
{
    if (!m_bar)
        return;
    writeErr(QLatin1String(kRedraw) + line);
    m_barShown = true;
}

void CliConsole::endProgress()
{
    if (!m_barShown)
        return;
    m_barShown = false;
    writeErr(QLatin1String(kRedraw));
}

void CliConsole::writeErr(const QString& text)
{
    std::fputs(text.toUtf8().constData(), m_err);
    std::fflush(m_err);
}

QString ProgressBarLine(const TransferProgress& progress)
{
    const qint64 all = std::max<qint64>(1, progress.allBytes());
    const int filled = int(std::min<qint64>(kBarWidth, progress.doneBytes() * kBarWidth / all));
    return QLatin1Char('[') + QString(filled, QLatin1Char('#')) + QString(kBarWidth - filled, QLatin1Char('-')) +
           QStringLiteral("] ") + ProgressText(progress);
}
