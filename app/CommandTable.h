#pragma once
// The twelve command buttons of the main window (control array Command1): their
// indices, captions and tooltips.

#include <array>

enum class Command : int {
    Run = 0,
    Stop = 1,
    Single = 2,
    IdRead = 3,
    Setup = 4,
    Save = 5,
    Help = 6,
    About = 7,
    Print = 8,
    Option = 9,
    Load = 10,
    Exit = 11,
};

inline constexpr int kCommandCount = 12;

struct CommandText {
    const char* caption;
    const char* tooltip;  // UTF-8; the "&" of Single is an ordinary character
};

inline constexpr std::array<CommandText, kCommandCount> kCommandTexts{{
    {"RUN", "掃引"},
    {"STOP", "掃引停止"},
    {"Single", "単掃引&データー取込"},
    {"ID Read", "MIRAVO 製品情報取得"},
    {"Setup", "取込んだ波形の条件設定"},
    {"Save", "ファイルへの保存"},
    {"Help", "ヘルプの表示"},
    {"About", "このプログラムについて"},
    {"Print", "印刷（PキーでもOK）"},
    {"Option", "オプション設定"},
    {"Load", "データー読込＆取込"},
    {"EXIT", "終了"},
}};
