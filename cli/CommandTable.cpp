// The subcommands of miravo-cli and their own options. Adding a subcommand: its options
// below (or names of existing ones), an entry in kCommands and a handler file with its
// function (declared in CommandHandlers.h).

#include "cli/CliCommand.h"
#include "cli/CommandHandlers.h"

namespace {

constexpr OptionDef kOptions[] = {
    {"json", nullptr, "JSON で出力する"},
    {"timeout", "S", "単掃引の完了を待つ上限の秒数（既定: 上限なし、最大 30 日）"},
    {"out", "FILE", "保存先（capture: 拡張子 .CSV か .RAW で形式を選ぶ。log: 記録を書く CSV ファイル）"},
    {"channels", "LIST", "取り込むチャンネル: 1,2 か 1 か 2（既定: 1,2）"},
    {"long", nullptr, "102400 点で取り込む（既定: 5120 点）"},
    {"single", nullptr, "取り込む前に単掃引し、完了を待つ"},
    {"title", "T", "タイトル"},
    {"sweep", "T", "時間軸 s/DIV（既定: 1m）"},
    {"delay", "T", "遅延 s（既定: 0）"},
    {"volts1", "V", "CH1 の V/DIV（既定: 2）"},
    {"volts2", "V", "CH2 の V/DIV（既定: 500m）"},
    {"offset1", "DIV", "CH1 のオフセット DIV（既定: 0）"},
    {"offset2", "DIV", "CH2 のオフセット DIV（既定: 0）"},
    {"equ", nullptr, "等価サンプリング（5120 点のときだけ）"},
    {"repeat", "N", "N 回取り込み、FILE-0001.CSV からの番号付きのファイルに保存する"},
    {"every", "S", "取り込みを S 秒ごとに始める（capture は --repeat と。既定: 前のが終わりしだい、最大 30 日）"},
    {"count", "N", "記録する回数（既定: 止めるまで）"},
    {"duration", "T", "記録する時間: 秒、または 90min, 12h, 7d（既定: 止めるまで、最大 30 日）"},
    {"waves", "DIR", "取り込んだ波形も DIR/000001.CSV, ... に保存する"},
    {"size", "WxH", "画像の大きさ（既定: 505x245）"},
    {"grid", nullptr, "グリッドを描く"},
    {"base", nullptr, "ベースラインを描く"},
    {"dots", nullptr, "点描にする（既定: 線描）"},
    {"tolerance", "V", "許容差 V（例: 50m）。外れた点が 1 点でもあれば、compare は終了ステータス 4、log は --reference の列が fail（終わりに 4）"},
    {"reference", "FILE", "取り込みごとに FILE の波形と比べ、合否（pass, fail）を reference 列に書く（--tolerance と）"},
    {"from", "T", "範囲の始め: 先頭のサンプルからの秒数（1m、250u など。既定: 記録の始め）"},
    {"to", "T", "範囲の終わり: 先頭のサンプルからの秒数（既定: 記録の終わり）"},
    {"annotate", nullptr, "タイトル、時間軸、V/DIV、日付、ファイル名の帯を下に付ける"},
    {"si", nullptr, ".csv を SI 単位（time_s,ch1_V,ch2_V）で書き出す"},
    {"channel", "N", "チャンネル: 1 か 2（既定: 1）"},
    {"window", "NAME", "窓関数: rectangular, hann, hamming, blackman-harris, flat-top（既定: hann）"},
    {"csv", nullptr, "0 Hz からナイキスト周波数までの全ビンを frequency,level の CSV で出力する"},
    {"write-settings", nullptr, "本体が応答した通信速度とデリミッターを設定ファイルに書き込む（ほかのバイトはそのまま）"},
};

constexpr CommandDef kCommands[] = {
    {"identify", "", "製品情報（メーカー、モデル、シリアル番号、ファームウェア）を1行ずつ表示する", "json", RunIdentify},
    {"run", "", "掃引を始める", "", RunSweep},
    {"stop", "", "掃引を止める", "", RunStop},
    {"single", "", "単掃引し、完了を待つ（Ctrl+C で待つのをやめる）", "timeout", RunSingle},
    {"capture", "", "波形を取り込み、ウィンドウの「保存」と同じファイルに保存する",
     "out channels long single timeout title sweep delay volts1 volts2 offset1 offset2 equ repeat every", RunCapture},
    {"log", "", "取り込みを繰り返し、1 回ごとに測定値を 1 行 CSV に追記する（Ctrl+C で終わる）",
     "out every count duration waves reference tolerance channels long single timeout title sweep delay volts1 volts2 offset1 "
     "offset2 equ",
     RunLog},
    {"convert", "IN OUT", "CSV と RAW を相互に変換し、sigrok セッション（.sr）、WAV（.wav）、SI 単位の CSV（--si）に書き出す（OUT の拡張子で選ぶ）",
     "si", RunConvert},
    {"render", "IN OUT", "波形ウィンドウと同じ絵を PNG、SVG、PDF に描く（OUT の拡張子で選ぶ、色は設定ファイルから）",
     "size grid base dots annotate", RunRender},
    {"info", "IN", "ファイルの条件と、チャンネルごとの最小・最大・P-P・平均・RMS・周波数を表示する", "json", RunInfo},
    {"compare", "A B", "2 つの波形ファイルをチャンネルごとに比べ、最大偏差と RMS 偏差（V）を表示する", "tolerance json", RunCompare},
    {"measure", "IN", "ウィンドウの測定パネルと同じ自動測定の値をチャンネルごとに表示する", "from to json", RunMeasure},
    {"spectrum", "IN", "チャンネルのスペクトル（ピーク、THD）を表示する", "channel window from to json csv", RunSpectrum},
    {"doctor", "", "接続を診断する: デバイス、権限、使用中のプログラム、本体の応答、応答する通信速度とデリミッター（最長 30 秒）",
     "json write-settings", RunDoctor},
};

} // namespace

std::span<const CommandDef> CliCommands()
{
    return kCommands;
}

std::span<const OptionDef> CliOptions()
{
    return kOptions;
}
