#pragma once
// How an exchange that cannot go on ends: LinkError with a Japanese sentence for the
// user, or LinkCancelled when the user (or EXIT) stopped it. Both stay inside link/;
// the window receives the message as a signal.

#include <QString>
#include <exception>

struct LinkError : std::exception {
    explicit LinkError(QString text) : message(std::move(text)) {}
    const char* what() const noexcept override { return "instrument link error"; }
    QString message;
};

struct LinkCancelled : std::exception {
    const char* what() const noexcept override { return "instrument link job cancelled"; }
};

// Messages of failed exchanges.
namespace LinkMessage {
inline QString noAck() { return QStringLiteral("本体から応答（ACK）がありません。接続と通信設定を確認してください。"); }
inline QString noReply() { return QStringLiteral("本体から返答がありません。"); }
inline QString replyTooLong() { return QStringLiteral("本体からの返答が長すぎます。"); }
inline QString badStatus() { return QStringLiteral("本体のステータスの返答が数値ではありません。"); }
inline QString noHeader() { return QStringLiteral("本体から波形データが届きません。"); }
inline QString badCount() { return QStringLiteral("波形データのヘッダーのデータ数が数字ではありません。"); }
inline QString countTooLarge() { return QStringLiteral("波形データのデータ数が多すぎます。"); }
inline QString countShort(int received, int requested)
{
    return QStringLiteral("波形データのデータ数（%1）が要求したデータ数（%2）より少なくなっています。").arg(received).arg(requested);
}
inline QString refused(const QString& command, int sends)
{
    return QStringLiteral("本体がコマンド %1 を受け付けませんでした（%2 回送って %2 回とも NAK）。").arg(command).arg(sends);
}
inline QString stillSending()
{
    return QStringLiteral("本体が前回の転送の続きを送り続けています。本体の状態を確認してから、もう一度操作してください。");
}
inline QString lineNoisy()
{
    return QStringLiteral("前回の転送の残りより多いデーターが届きました。通信回線に雑音が乗っているか、本体が送り続けています。"
                          "接続と本体の状態を確認してから、もう一度操作してください。");
}
inline QString blockStalled() { return QStringLiteral("波形データの受信が途中で止まりました。"); }
inline QString portClosed(const QString& port)
{
    return QStringLiteral("通信ポート %1 が開いていません。通信設定を確認してください。").arg(port);
}
inline QString portLost(const QString& port)
{
    return QStringLiteral("通信ポート %1 との接続が切れました。通信設定を確認してください。").arg(port);
}
} // namespace LinkMessage
