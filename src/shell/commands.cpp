#include "shell/commands.h"

namespace {

constexpr MenuItem FILE_MENU[] = {
    {CMD_READ_WAVE, "WAVファイル読込(&F)", true},
    {CMD_READ_TEXT, "TXT形式MIDIファイル読込", false},
    {CMD_READ_SMF, "SMF形式MIDIファイル読込", true},
    {CMD_SAVE_TEXT, "TXT形式MIDIファイル保存", false},
    {CMD_SAVE_SMF, "SMF形式MIDIファイル保存", true},
    {CMD_QUIT, "アプリケーション終了(&X)", false},
};

constexpr MenuItem EDIT_MENU[] = {
    {CMD_RECONVERT, "MIDI再変換", false},
    {CMD_CLEAN, "クリーン変換(&K)", true},
    {CMD_FILTER, "全体フィルタ処理", false},
    {CMD_CHANGE_PITCH_TEMPO, "全体音高テンポ変更", true},
    {CMD_EDIT_NOTE, "単一ノート編集", false},
};

constexpr MenuItem HELP_MENU[] = {
    {CMD_ABOUT, "バージョン情報(&A) ...", false},
    {CMD_MANUAL, "マニュアル起動(&H)", false},
};

constexpr MenuBarEntry MENU_BAR[] = {
    {"ファイル", 0, FILE_MENU},
    {"[WAV再生]", CMD_PLAY_WAVE, {}},
    {"[MIDI再生(&P)]", CMD_PLAY_MIDI, {}},
    {"[再生停止]", CMD_STOP_PLAYBACK, {}},
    {"[MIDI設定]", CMD_MIDI_SETTINGS, {}},
    {"[MIDI変換(&C)]", CMD_CONVERT, {}},
    {"[変換停止(&B)]", CMD_STOP_CONVERSION, {}},
    {"MIDI編集", 0, EDIT_MENU},
    {"[表示]", CMD_DISPLAY_SETTINGS, {}},
    {"ヘルプ", 0, HELP_MENU},
};

constexpr int32_t ALL_COMMANDS[] = {
    CMD_READ_WAVE, CMD_READ_TEXT, CMD_READ_SMF, CMD_SAVE_TEXT, CMD_SAVE_SMF, CMD_QUIT,
    CMD_PLAY_WAVE, CMD_PLAY_MIDI, CMD_STOP_PLAYBACK, CMD_MIDI_SETTINGS, CMD_CONVERT,
    CMD_STOP_CONVERSION, CMD_RECONVERT, CMD_CLEAN, CMD_FILTER, CMD_CHANGE_PITCH_TEMPO, CMD_EDIT_NOTE,
    CMD_DISPLAY_SETTINGS, CMD_ABOUT, CMD_MANUAL,
};

} // namespace

const char* const MAIN_WINDOW_TITLE =
    "WAV音声MIDI変換ツール ZIRirere-RAREvurov Tonagram Ver6.53 GUI-edition";
const char* const STATUS_BANNER = "WAVオーディオ→MIDI変換ツール Tonagram version6.53";

std::span<const MenuBarEntry> menu_bar()
{
    return MENU_BAR;
}

std::span<const int32_t> all_commands()
{
    return ALL_COMMANDS;
}

CommandRedraw command_redraw(int32_t command, bool worker_was_running)
{
    switch (command) {
    case CMD_STOP_CONVERSION:
        return worker_was_running ? CommandRedraw::Repaint : CommandRedraw::MenuBarOnly;
    case CMD_PLAY_WAVE:
    case CMD_PLAY_MIDI:
    case CMD_MANUAL:
    case CMD_CONVERT:
    case CMD_RECONVERT:
    case CMD_CLEAN:
        return CommandRedraw::MenuBarOnly;
    default:
        return CommandRedraw::Repaint;
    }
}
