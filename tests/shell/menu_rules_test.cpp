#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "shell/commands.h"
#include "shell/menu_state.h"
#include "shell/playback_state.h"

namespace {

// The menu bar as one line per entry: pop-ups list their items, "-" marks a separator.
std::vector<std::string> menu_lines()
{
    std::vector<std::string> lines;
    for (const MenuBarEntry& entry : menu_bar()) {
        std::string line = std::string(entry.text) + " " + std::to_string(entry.command);
        for (const MenuItem& item : entry.items)
            line += std::string(" | ") + std::to_string(item.command) + " " + item.text +
                    (item.separator_after ? " -" : "");
        lines.push_back(line);
    }
    return lines;
}

TEST(MenuBar, HoldsEveryCommandInOrderWithSeparatorsAndMnemonics)
{
    const std::vector<std::string> expected = {
        "ファイル 0 | 32772 WAVファイル読込(&F) - | 32778 TXT形式MIDIファイル読込 | 32776 "
        "SMF形式MIDIファイル読込 - | 32779 TXT形式MIDIファイル保存 | 32777 SMF形式MIDIファイル保存 - "
        "| 105 アプリケーション終了(&X)",
        "[WAV再生] 32774",
        "[MIDI再生(&P)] 32771",
        "[再生停止] 32775",
        "[MIDI設定] 32773",
        "[MIDI変換(&C)] 32780",
        "[変換停止(&B)] 32782",
        "MIDI編集 0 | 32784 MIDI再変換 - | 32787 全体フィルタ処理 | 32786 全体音高テンポ変更 - | "
        "32785 単一ノート編集",
        "[表示] 32781",
        "ヘルプ 0 | 104 バージョン情報(&A) ... | 32783 マニュアル起動(&H)",
    };
    EXPECT_EQ(menu_lines(), expected);
    std::set<int32_t> ids(all_commands().begin(), all_commands().end());
    EXPECT_EQ(ids.size(), 19u);
}

// The commands the menu shows enabled, for a state and the inputs of the last steps.
std::set<int32_t> enabled_commands(const MenuState& state, const MenuInputs& inputs = {})
{
    std::set<int32_t> enabled;
    for (int32_t command : all_commands()) {
        if (menu_item_enabled(state, command, inputs))
            enabled.insert(command);
    }
    return enabled;
}

const std::set<int32_t> ALWAYS = {CMD_READ_WAVE, CMD_READ_TEXT, CMD_READ_SMF, CMD_QUIT,
                                  CMD_MIDI_SETTINGS, CMD_DISPLAY_SETTINGS, CMD_ABOUT, CMD_MANUAL};
const std::set<int32_t> WAVE_COMMANDS = {CMD_PLAY_WAVE, CMD_CONVERT, CMD_RECONVERT};
const std::set<int32_t> LIST_COMMANDS = {CMD_PLAY_MIDI, CMD_SAVE_SMF, CMD_SAVE_TEXT,
                                         CMD_FILTER, CMD_CHANGE_PITCH_TEMPO, CMD_EDIT_NOTE};

std::set<int32_t> with(std::set<int32_t> a, std::initializer_list<std::set<int32_t>> more)
{
    for (const auto& b : more)
        a.insert(b.begin(), b.end());
    return a;
}

TEST(MenuState, StepsEnableOnlyAndLatchAcrossASequenceOfEvents)
{
    struct Row {
        const char* event;
        MenuInputs inputs;  // playback_state, frame_count, event_count, worker_running, note_selected
        std::set<int32_t> enabled;
    };
    const std::set<int32_t> initial = with(ALWAYS, {{CMD_STOP_PLAYBACK}});
    const std::vector<Row> rows = {
        {"start-up, nothing loaded", {0, 0, 0, false}, ALWAYS},
        {"WAV file read", {0, 1000, 0, false}, with(ALWAYS, {WAVE_COMMANDS})},
        {"WAV playing", {1, 1000, 0, false}, with(ALWAYS, {WAVE_COMMANDS, {CMD_STOP_PLAYBACK}})},
        // The reads and the display settings are grayed on top of the steps.
        {"worker runs", {0, 1000, 0, true},
         {CMD_QUIT, CMD_MIDI_SETTINGS, CMD_ABOUT, CMD_MANUAL, CMD_STOP_CONVERSION}},
        {"worker ended with events", {0, 1000, 50, false, true}, with(ALWAYS, {WAVE_COMMANDS, LIST_COMMANDS})},
        // Only the two commands whose object is gone are grayed.
        {"events gone", {0, 0, 0, false},
         with(ALWAYS, {{CMD_CONVERT, CMD_RECONVERT, CMD_PLAY_MIDI, CMD_SAVE_SMF, CMD_SAVE_TEXT,
                        CMD_FILTER, CMD_CHANGE_PITCH_TEMPO}})},
    };
    MenuState state = initial_menu_state();
    EXPECT_EQ(enabled_commands(state), initial) << "the grey set at creation";
    for (const Row& row : rows) {
        update_menu_state(state, row.inputs);
        EXPECT_EQ(enabled_commands(state, row.inputs), row.enabled) << row.event;
    }
}

TEST(MenuState, StopConversionStaysEnabledAfterAWorkerThatFoundNothing)
{
    MenuState state = initial_menu_state();
    update_menu_state(state, {0, 1000, 0, true});
    update_menu_state(state, {0, 1000, 0, false});
    EXPECT_TRUE(menu_item_enabled(state, CMD_STOP_CONVERSION, {0, 1000, 0, false}));
    EXPECT_TRUE(menu_item_enabled(state, CMD_CONVERT, {0, 1000, 0, false}));
    update_menu_state(state, {0, 1000, 3, false});
    EXPECT_FALSE(menu_item_enabled(state, CMD_STOP_CONVERSION, {0, 1000, 3, false}));
}

TEST(MenuState, AWorkerGraysEveryCommandThatTouchesTheWaveOrTheList)
{
    MenuState state = initial_menu_state();
    update_menu_state(state, {0, 1000, 50, false});
    const std::set<int32_t> grayed = {CMD_READ_WAVE, CMD_READ_TEXT, CMD_READ_SMF, CMD_SAVE_TEXT,
                                      CMD_SAVE_SMF, CMD_PLAY_WAVE, CMD_PLAY_MIDI, CMD_FILTER,
                                      CMD_CHANGE_PITCH_TEMPO, CMD_EDIT_NOTE, CMD_DISPLAY_SETTINGS,
                                      CMD_CONVERT, CMD_RECONVERT, CMD_STOP_PLAYBACK};
    const MenuInputs worker = {0, 1000, 50, true};
    update_menu_state(state, worker);
    for (int32_t command : all_commands())
        EXPECT_EQ(menu_item_enabled(state, command, worker), grayed.count(command) == 0) << command;
}

// [WAV再生] plays the loaded WAV file and 単一ノート編集 edits the selected note: each is
// grayed while its object is missing, whatever the steps enabled.
TEST(MenuState, PlayWaveNeedsALoadedWaveAndEditNoteASelectedNote)
{
    struct Row {
        const char* what;
        MenuInputs inputs;
        bool play_wave, edit_note;
    };
    const Row rows[] = {
        {"wave and selection", {0, 1000, 50, false, true}, true, true},
        {"wave, nothing selected", {0, 1000, 50, false, false}, true, false},
        {"list read without a wave, a note selected", {0, 0, 50, false, true}, false, true},
        {"nothing", {0, 0, 50, false, false}, false, false},
        {"worker runs", {0, 0, 0, true, false}, false, false},
    };
    MenuState state = initial_menu_state();
    update_menu_state(state, {0, 1000, 50, false, true});  // the steps have enabled both
    for (const Row& r : rows) {
        EXPECT_EQ(menu_item_enabled(state, CMD_PLAY_WAVE, r.inputs), r.play_wave) << r.what;
        EXPECT_EQ(menu_item_enabled(state, CMD_EDIT_NOTE, r.inputs), r.edit_note) << r.what;
        EXPECT_EQ(command_has_object(CMD_SAVE_TEXT, r.inputs), true) << r.what;
    }
}

TEST(PlaybackState, TransitionsFollowTheCommandsAndThePoll)
{
    struct Row {
        int32_t from;
        int32_t command;
        int32_t to;
        PlaybackAction stop_first;
        PlaybackAction action;
    };
    using A = PlaybackAction;
    const Row rows[] = {
        {0, CMD_PLAY_WAVE, 1, A::None, A::StartWave},
        {0, CMD_PLAY_MIDI, 2, A::None, A::StartMidi},
        {1, CMD_PLAY_WAVE, 1, A::None, A::None},
        // The other player is stopped first: only one plays, and the stop command names it.
        {2, CMD_PLAY_WAVE, 1, A::StopMidi, A::StartWave},
        {1, CMD_PLAY_MIDI, 2, A::CloseWave, A::StartMidi},
        {2, CMD_PLAY_MIDI, 2, A::None, A::None},
        {0, CMD_STOP_PLAYBACK, 0, A::None, A::None},
        {1, CMD_STOP_PLAYBACK, 0, A::None, A::CloseWave},
        {2, CMD_STOP_PLAYBACK, 0, A::None, A::StopMidi},
        {2, CMD_ABOUT, 2, A::None, A::None},
    };
    for (const Row& r : rows) {
        const PlaybackStep step = playback_command(r.from, r.command);
        EXPECT_EQ(step.state, r.to) << r.from << " " << r.command;
        EXPECT_EQ(step.stop_first, r.stop_first) << r.from << " " << r.command;
        EXPECT_EQ(step.action, r.action) << r.from << " " << r.command;
    }
    struct Poll {
        int32_t from;
        bool wave_playing, midi_playing;
        int32_t to;
    };
    const Poll polls[] = {
        {1, true, false, 1}, {1, false, true, 0},  // only the player the state names is polled
        {2, false, true, 2}, {2, true, false, 0}, {0, true, true, 0},
    };
    for (const Poll& p : polls)
        EXPECT_EQ(playback_after_poll(p.from, p.wave_playing, p.midi_playing), p.to) << p.from;
}

TEST(Commands, RepaintOrRedrawTheMenuBarOnly)
{
    const std::set<int32_t> menu_bar_only = {CMD_PLAY_WAVE, CMD_PLAY_MIDI, CMD_CONVERT,
                                             CMD_RECONVERT, CMD_MANUAL, CMD_STOP_CONVERSION};
    for (int32_t command : all_commands()) {
        const bool only = menu_bar_only.count(command) != 0;
        EXPECT_EQ(command_redraw(command, false) == CommandRedraw::MenuBarOnly, only) << command;
    }
    EXPECT_EQ(command_redraw(CMD_STOP_CONVERSION, true), CommandRedraw::Repaint);
}

} // namespace
