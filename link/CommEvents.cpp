#include "link/CommEvents.h"

QString CommEventText(int code)
{
    switch (CommEvent(code)) {
    case CommEvent::Break: return QStringLiteral("中断信号受信！");
    case CommEvent::Frame: return QStringLiteral("フレームエラー");
    case CommEvent::Overrun: return QStringLiteral("データー消失！！");
    case CommEvent::RxOver: return QStringLiteral("受信バッファー　オーバーフロー");
    case CommEvent::RxParity: return QStringLiteral("パリティーエラー");
    case CommEvent::TxFull: return QStringLiteral("送信バッファーオーバー！");
    case CommEvent::DeviceSettings: return QStringLiteral("予期しないエラー");
    }
    return {};
}
