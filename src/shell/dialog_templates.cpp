#include "shell/dialog_templates.h"

#include <stdexcept>

namespace {

using K = ControlKind;
constexpr int32_t S = STATIC_CONTROL;

constexpr ControlTemplate ABOUT[] = {
    {K::Icon, S, "", 14, 14, 21, 20},
    {K::Label, S, "Tonagram version6.53 GUI-edition", 44, 12, 150, 8},
    {K::Label, S, "WAVオーディオ→MIDI変換ツール", 44, 26, 150, 8},
    {K::DefaultButton, 1, "OK", 140, 44, 50, 14},
};

constexpr ControlTemplate ANALYSIS_SETTINGS[] = {
    {K::Check, 1024, "倍音補正 [%]", 12, 12, 80, 10},
    {K::Edit, 1003, "", 100, 10, 40, 14},
    {K::Check, 1027, "基音推定", 12, 32, 80, 10},
    {K::Label, S, "最大倍音(2-8)", 12, 52, 80, 8},
    {K::Edit, 1008, "", 100, 50, 40, 14},
    {K::Check, 1025, "微分音解析", 12, 72, 80, 10},
    {K::Button, 1054, "解析フレーム幅", 12, 90, 80, 14},
    {K::Edit, 1004, "", 100, 90, 40, 14},
    {K::Label, S, "最大解析周期", 12, 112, 80, 8},
    {K::Edit, 1009, "", 100, 110, 40, 14},
    {K::Label, S, "解析ステップ調整", 12, 132, 80, 8},
    {K::Edit, 1005, "", 100, 130, 40, 14},
    {K::Group, S, "連結条件", 152, 6, 78, 78},
    {K::Label, S, "連結レベル差", 160, 22, 64, 8},
    {K::Edit, 1006, "", 160, 32, 40, 14},
    {K::Label, S, "連結音程差", 160, 52, 64, 8},
    {K::Edit, 1007, "", 160, 62, 40, 14},
    {K::Check, 1026, "設定保存", 12, 158, 60, 10},
    {K::DefaultButton, 1, "OK", 120, 156, 50, 14},
    {K::Button, 2, "ｷｬﾝｾﾙ", 180, 156, 50, 14},
};

constexpr ControlTemplate CONVERSION_SETTINGS[] = {
    {K::Group, S, "連結条件", 8, 6, 235, 68},
    {K::Check, 1024, "オプション連結", 16, 20, 80, 10},
    {K::Label, S, "連結間隙", 16, 38, 76, 8},
    {K::Edit, 1003, "", 96, 36, 40, 14},
    {K::Check, 1039, "可変設定", 146, 38, 60, 10},
    {K::Label, S, "連結絶対音程差", 16, 56, 76, 8},
    {K::Edit, 1004, "", 96, 54, 40, 14},
    {K::Label, S, "最小レベル [%]", 16, 85, 76, 8},
    {K::Edit, 1005, "", 96, 82, 40, 14},
    {K::Label, S, "最大レベル [%]", 140, 85, 62, 8},
    {K::Edit, 1006, "", 204, 82, 40, 14},
    {K::Label, S, "最小ノート", 16, 105, 76, 8},
    {K::Edit, 1007, "", 96, 102, 40, 14},
    {K::Label, S, "最大ノート", 140, 105, 62, 8},
    {K::Edit, 1008, "", 204, 102, 40, 14},
    {K::Label, S, "音長しきい値", 16, 125, 76, 8},
    {K::Edit, 1009, "", 96, 122, 40, 14},
    {K::Label, S, "最小ベロシティ", 140, 125, 62, 8},
    {K::Edit, 1010, "", 204, 122, 40, 14},
    {K::Label, S, "最大和音数", 16, 145, 76, 8},
    {K::Edit, 1011, "", 96, 142, 40, 14},
    {K::Label, S, "出力時間解像度", 140, 145, 62, 8},
    {K::Edit, 1012, "", 204, 142, 40, 14},
    {K::Label, S, "最大符号長[bps]", 16, 165, 76, 8},
    {K::Edit, 1013, "", 96, 162, 40, 14},
    {K::Check, 1026, "特定音階出力", 16, 186, 80, 10},
    {K::Check, 1027, "C", 16, 202, 34, 10},
    {K::Check, 1028, "C#", 54, 202, 34, 10},
    {K::Check, 1029, "D", 92, 202, 34, 10},
    {K::Check, 1030, "D#", 130, 202, 34, 10},
    {K::Check, 1031, "E", 168, 202, 34, 10},
    {K::Check, 1032, "F", 206, 202, 34, 10},
    {K::Check, 1033, "F#", 16, 218, 34, 10},
    {K::Check, 1034, "G", 54, 218, 34, 10},
    {K::Check, 1035, "G#", 92, 218, 34, 10},
    {K::Check, 1036, "A", 130, 218, 34, 10},
    {K::Check, 1037, "A#", 168, 218, 34, 10},
    {K::Check, 1038, "B", 206, 218, 34, 10},
    {K::Check, 1025, "設定保存", 16, 242, 60, 10},
    {K::DefaultButton, 1, "OK", 134, 240, 50, 14},
    {K::Button, 2, "ｷｬﾝｾﾙ", 192, 240, 50, 14},
};

constexpr ControlTemplate NOTE_EDIT[] = {
    {K::Label, S, "ノートナンバー", 10, 12, 62, 8},
    {K::Edit, 1003, "", 76, 10, 40, 14},
    {K::ReadOnlyEdit, 1004, "", 122, 10, 40, 14},
    {K::Label, S, "オン・オフ時刻", 10, 32, 62, 8},
    {K::Edit, 1005, "", 76, 30, 50, 14},
    {K::Label, S, "～", 130, 32, 10, 8},
    {K::Edit, 1006, "", 142, 30, 50, 14},
    {K::Label, S, "デュレーション", 10, 52, 62, 8},
    {K::ReadOnlyEdit, 1007, "", 76, 50, 50, 14},
    {K::Button, 1054, "更新", 196, 50, 48, 14},
    {K::Label, S, "ベロシティ", 10, 72, 62, 8},
    {K::Edit, 1008, "", 76, 70, 40, 14},
    {K::DefaultButton, 1, "修正実行", 20, 92, 50, 14},
    {K::Button, 1056, "ノート追加", 78, 92, 50, 14},
    {K::Button, 1055, "削除実行", 136, 92, 50, 14},
    {K::Button, 2, "ｷｬﾝｾﾙ", 194, 92, 50, 14},
};

constexpr ControlTemplate LIST_CHANGE[] = {
    {K::Label, S, "トランスポーズ量（単位:半音）", 10, 12, 118, 8},
    {K::Edit, 1003, "", 132, 10, 48, 14},
    {K::Label, S, "テンポ変更比率 [%]", 10, 32, 118, 8},
    {K::Edit, 1004, "", 132, 30, 48, 14},
    {K::DefaultButton, 1, "OK", 72, 54, 50, 14},
    {K::Button, 2, "ｷｬﾝｾﾙ", 130, 54, 50, 14},
};

constexpr ControlTemplate FILTER[] = {
    {K::Label, S, "ノートナンバー・下限", 10, 12, 92, 8},
    {K::Edit, 1003, "", 108, 10, 36, 14},
    {K::Label, S, "上限", 150, 12, 18, 8},
    {K::Edit, 1004, "", 170, 10, 36, 14},
    {K::Label, S, "ベロシティ・下限", 10, 32, 92, 8},
    {K::Edit, 1005, "", 108, 30, 36, 14},
    {K::Label, S, "音長・下限", 10, 52, 92, 8},
    {K::Edit, 1006, "", 108, 50, 36, 14},
    {K::Check, 1024, "音素連結", 10, 74, 80, 10},
    {K::Label, S, "ベロシティ変化・上限", 18, 92, 86, 8},
    {K::Edit, 1007, "", 108, 90, 36, 14},
    {K::Label, S, "ノート間隔・上限", 18, 112, 86, 8},
    {K::Edit, 1008, "", 108, 110, 36, 14},
    {K::DefaultButton, 1, "OK", 98, 132, 50, 14},
    {K::Button, 2, "ｷｬﾝｾﾙ", 156, 132, 50, 14},
};

constexpr DialogTemplate TEMPLATES[] = {
    {ABOUT_DIALOG, "バージョン情報", 200, 66, ABOUT},
    {ANALYSIS_SETTINGS_DIALOG, "周波数解析設定", 239, 179, ANALYSIS_SETTINGS},
    {CONVERSION_SETTINGS_DIALOG, "MIDIデータ変換設定", 251, 260, CONVERSION_SETTINGS},
    {NOTE_EDIT_DIALOG, "ノート・パラメータ編集", 252, 114, NOTE_EDIT},
    {LIST_CHANGE_DIALOG, "音高・テンポ変更の設定", 190, 76, LIST_CHANGE},
    {FILTER_DIALOG, "MIDIデータフィルタ", 214, 154, FILTER},
};

} // namespace

const DialogTemplate& dialog_template(int32_t id)
{
    for (const DialogTemplate& t : TEMPLATES) {
        if (t.id == id)
            return t;
    }
    throw std::invalid_argument("no dialog template with this id");
}
