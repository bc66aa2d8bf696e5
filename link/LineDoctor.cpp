#include "link/LineDoctor.h"

#include "link/InstrumentSession.h"
#include "link/LinkError.h"
#include "link/LinkTrace.h"
#include "link/Replies.h"

#include <algorithm>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A try given less time than this cannot hear an answer; the search ends instead.
constexpr milliseconds kShortestTry{150};

QString delimiterText(const QByteArray& delimiter)
{
    return delimiter == "\r\n" ? QStringLiteral("CR/LF") : QStringLiteral("LF（オプションの「CR」）");
}

QString lineText(const LineSettings& line)
{
    return QStringLiteral("%1、デリミッター %2").arg(line.settingsText(), delimiterText(line.delimiter));
}

QString deviceListText(const std::vector<SerialPortEntry>& devices)
{
    if (devices.empty())
        return QStringLiteral("シリアルデバイスは見つかりませんでした。");
    QStringList names;
    for (const SerialPortEntry& device : devices)
        names << device.device;
    return QStringLiteral("見つかったシリアルデバイス: %1").arg(names.join(QStringLiteral("、")));
}

QString holderText(const std::optional<PortHolder>& holder)
{
    return holder ? QStringLiteral("他のプログラム（%1、PID %2）").arg(holder->command).arg(holder->pid)
                  : QStringLiteral("他のプログラム");
}

class Doctor {
public:
    Doctor(SerialLine& line, const QString& device, const EnvSettings& settings, std::stop_token stop,
           const DoctorEvents& events, DoctorLimits limits)
        : m_line(line), m_settings(settings), m_stop(std::move(stop)), m_events(events), m_limits(limits)
    {
        m_result.port = device;
    }

    Diagnosis run(const SerialPortLister& lister)
    {
        const QString& device = m_result.port;
        const PortAccess access = CheckPortAccess(device);
        if (access.kind == PortAccess::Kind::Missing) {
            m_result.devices = lister ? lister() : std::vector<SerialPortEntry>{};
            report(DoctorStep::Exists, false, QStringLiteral("デバイス %1 がありません。").arg(device));
            return finish(DoctorProblem::Missing,
                          QStringLiteral("デバイス %1 が見つかりません。ケーブルと USB アダプターの接続、ポートの指定を確認してください。%2")
                              .arg(device, deviceListText(m_result.devices)));
        }
        report(DoctorStep::Exists, true, QStringLiteral("デバイス %1 があります。").arg(device));
        if (access.kind == PortAccess::Kind::Permission)
            return permissionDenied(access);
        report(DoctorStep::Permission, true, QStringLiteral("このユーザーは開くことができます。"));
        if (access.kind == PortAccess::Kind::Busy)
            return busy(access.holder);

        const LineSettings asSet = LineSettingsFor(m_settings);
        const Try first = attempt(asSet, m_limits.answer);
        if (first.openFailed)
            return busy(FindPortHolder(device));
        report(DoctorStep::Free, true, QStringLiteral("他のプログラムは使っていません。"));
        if (first.answered) {
            report(DoctorStep::Answer, true,
                   QStringLiteral("設定どおり（%1）で *IDN? に応答しました: %2").arg(lineText(asSet), m_result.identity.join(u',')));
            m_result.found = DoctorFound{m_settings.Com[0], int16_t(m_settings.Com[4] == 0 ? 0 : 1)};
            return finish(DoctorProblem::None, QStringLiteral("問題は見つかりませんでした。本体は設定どおりの通信設定で応答しています。"));
        }
        report(DoctorStep::Answer, false, QStringLiteral("設定どおり（%1）では *IDN? に応答がありません。").arg(lineText(asSet)));
        return search();
    }

private:
    struct Try {
        bool answered = false;
        bool openFailed = false;
    };

    Diagnosis permissionDenied(const PortAccess& access)
    {
        const QString& device = m_result.port;
        report(DoctorStep::Permission, false,
               QStringLiteral("このユーザーには開く権限がありません（デバイスのグループ: %1）。").arg(access.group));
        QString advice = QStringLiteral("デバイス %1 を開く権限がありません。").arg(device);
        if (access.groupMayOpen && !access.group.isEmpty()) {
            advice += QStringLiteral("グループ %1 に参加してください: sudo usermod -aG %1 $USER を実行し、ログインし直してください。")
                          .arg(access.group);
        } else {
            advice += QStringLiteral("グループ %1 にも読み書きが許されていません。管理者にデバイスの権限を設定してもらってください。")
                          .arg(access.group);
        }
        return finish(DoctorProblem::Permission, advice);
    }

    Diagnosis busy(std::optional<PortHolder> holder)
    {
        m_result.holder = std::move(holder);
        const QString who = holderText(m_result.holder);
        report(DoctorStep::Free, false, QStringLiteral("%1が使用中です。").arg(who));
        return finish(DoctorProblem::Busy, QStringLiteral("デバイス %1 は%2が使用中です。そのプログラムを終了してから、もう一度試してください。")
                                               .arg(m_result.port, who));
    }

    // Each speed of the list, fastest first, with the settings' delimiter first; the
    // combination already tried is skipped.
    Diagnosis search()
    {
        const auto deadline = Clock::now() + m_limits.search;
        const int16_t setDelimiter = m_settings.Com[4] == 0 ? 0 : 1;
        int tries = 0;
        bool complete = true;
        for (int16_t speed = 0; speed < kComListSizes[0] && complete; ++speed) {
            for (const int16_t delimiter : {setDelimiter, int16_t(1 - setDelimiter)}) {
                if (speed == m_settings.Com[0] && delimiter == setDelimiter)
                    continue;
                const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now());
                if (left < kShortestTry) {
                    complete = false;
                    break;
                }
                EnvSettings candidate = m_settings;
                candidate.Com[0] = speed;
                candidate.Com[4] = delimiter;
                const LineSettings line = LineSettingsFor(candidate);
                if (m_events.trying)
                    m_events.trying(line.speed, line.delimiter);
                ++tries;
                if (attempt(line, std::min(m_limits.answer, left / 2)).answered) {
                    m_result.found = DoctorFound{speed, delimiter};
                    report(DoctorStep::Search, true, QStringLiteral("%1 で応答しました: %2").arg(lineText(line), m_result.identity.join(u',')));
                    return finish(DoctorProblem::Settings,
                                  QStringLiteral("本体は通信速度 %1、デリミッター %2 で応答します。通信設定をこの値にしてください。")
                                      .arg(line.speed)
                                      .arg(delimiterText(line.delimiter)));
                }
            }
        }
        report(DoctorStep::Search, false,
               complete ? QStringLiteral("%1 から %2 までの速度と CR/LF、LF の組み合わせ %3 通りのどれでも応答がありません。")
                              .arg(DoctorFound{0, 0}.speed())
                              .arg(DoctorFound{int16_t(kComListSizes[0] - 1), 0}.speed())
                              .arg(tries)
                        : QStringLiteral("時間内に %1 通りを試しましたが、応答がありません。").arg(tries));
        return finish(DoctorProblem::NoAnswer,
                      QStringLiteral("本体が応答しません。本体の電源、ケーブルの種類（クロス／ストレート）と接続、本体側の通信設定（8 ビット、パリティなし、ストップビット 1）を確認してください。"));
    }

    // Opens the line with these settings and asks for the identity, within `answer` for
    // the acknowledgement and again for the reply.
    Try attempt(const LineSettings& line, milliseconds answer)
    {
        QStringList warnings;
        if (const QString failure = m_line.open(m_result.port, line, warnings); !failure.isEmpty()) {
            qCDebug(lcLink, "doctor: %s", qUtf8Printable(failure));
            return {.openFailed = true};
        }
        qCDebug(lcLink, "doctor: *IDN? at %s, commands end with %s", qUtf8Printable(line.settingsText()),
                qUtf8Printable(TraceText(line.delimiter)));
        Try outcome;
        try {
            InstrumentSession session(m_line, line.delimiter, m_stop, LinkTimeouts{answer, answer, answer});
            const QByteArray reply = session.Query("*IDN?");
            outcome.answered = IsIdentityReply(SplitIdentity(reply));
            if (outcome.answered)
                m_result.identity = SplitIdentity(reply.trimmed());
            else
                qCDebug(lcLink, "doctor: not an identity: %s", qUtf8Printable(TraceText(reply)));
        } catch (const LinkError& error) {
            qCDebug(lcLink, "doctor: %s", qUtf8Printable(error.message));
        } catch (...) {
            m_line.close();
            throw;
        }
        m_line.close();
        return outcome;
    }

    void report(DoctorStep step, bool passed, const QString& text)
    {
        m_result.steps.push_back({step, passed, text});
        if (m_events.step)
            m_events.step(m_result.steps.back());
    }

    Diagnosis finish(DoctorProblem problem, const QString& advice)
    {
        m_result.problem = problem;
        m_result.advice = advice;
        return std::move(m_result);
    }

    SerialLine& m_line;
    const EnvSettings& m_settings;
    std::stop_token m_stop;
    const DoctorEvents& m_events;
    DoctorLimits m_limits;
    Diagnosis m_result;
};

} // namespace

int DoctorFound::speed() const
{
    return LineSettingsFor(EnvSettings{.Com = {speedIndex, 0, 0, 0, delimiterIndex, 0}}).speed;
}

QString DelimiterName(int16_t delimiterIndex)
{
    return delimiterIndex == 0 ? QStringLiteral("CRLF") : QStringLiteral("LF");
}

Diagnosis DiagnoseLine(SerialLine& line, const QString& device, const EnvSettings& settings,
                       const SerialPortLister& lister, std::stop_token stop, const DoctorEvents& events,
                       DoctorLimits limits)
{
    line.close();
    qCDebug(lcLink, "doctor: %s", qUtf8Printable(device));
    return Doctor(line, device, settings, std::move(stop), events, limits).run(lister);
}
