// The commands of the main window: their ids, the menu bar that carries them, and the
// fixed texts of the window.
#pragma once

#include <cstdint>
#include <span>

inline constexpr int32_t CMD_ABOUT = 104;
inline constexpr int32_t CMD_QUIT = 105;
inline constexpr int32_t CMD_PLAY_MIDI = 32771;
inline constexpr int32_t CMD_READ_WAVE = 32772;
inline constexpr int32_t CMD_MIDI_SETTINGS = 32773;
inline constexpr int32_t CMD_PLAY_WAVE = 32774;
inline constexpr int32_t CMD_STOP_PLAYBACK = 32775;
inline constexpr int32_t CMD_READ_SMF = 32776;
inline constexpr int32_t CMD_SAVE_SMF = 32777;
inline constexpr int32_t CMD_READ_TEXT = 32778;
inline constexpr int32_t CMD_SAVE_TEXT = 32779;
inline constexpr int32_t CMD_CONVERT = 32780;
inline constexpr int32_t CMD_DISPLAY_SETTINGS = 32781;
inline constexpr int32_t CMD_STOP_CONVERSION = 32782;
inline constexpr int32_t CMD_MANUAL = 32783;
inline constexpr int32_t CMD_RECONVERT = 32784;
inline constexpr int32_t CMD_EDIT_NOTE = 32785;
inline constexpr int32_t CMD_CHANGE_PITCH_TEMPO = 32786;
inline constexpr int32_t CMD_FILTER = 32787;
inline constexpr int32_t CMD_CLEAN = 32788;  // clean transcription from the loaded WAV's analysis

// One command of a pop-up menu; a separator follows it when separator_after is set.
struct MenuItem {
    int32_t command;
    const char* text;  // UTF-8, "&" before the mnemonic
    bool separator_after;
};

// One entry of the menu bar: a pop-up with its items, or a command right on the bar
// (command non-zero, no items).
struct MenuBarEntry {
    const char* text;
    int32_t command;
    std::span<const MenuItem> items;
};

// The menu bar from left to right.
std::span<const MenuBarEntry> menu_bar();

// Every command id of the menu bar, in menu order.
std::span<const int32_t> all_commands();

// Window title (string resource 103) and the status-bar banner shown at start-up.
extern const char* const MAIN_WINDOW_TITLE;
extern const char* const STATUS_BANNER;

// What a command does to the window once it has run: Repaint invalidates the client area
// and redraws the menu bar, MenuBarOnly redraws only the menu bar. The stop-conversion
// command repaints only when a worker was running.
enum class CommandRedraw { Repaint, MenuBarOnly };
CommandRedraw command_redraw(int32_t command, bool worker_was_running);
