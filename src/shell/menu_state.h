// Which menu items are enabled. Items start enabled except an initial grey set; the four
// steps run before every event of the main window and before a menu opens, and only they
// enable or gray an item, so an item they enabled stays enabled for the rest of the run.
// On top of that, the commands that touch the wave or the event list are grayed while a
// conversion worker rewrites them, and two commands are grayed while what they act on is
// missing: [WAV再生] without a loaded WAV file, 単一ノート編集 without a selected note.
#pragma once

#include <cstdint>
#include <map>

struct MenuState {
    std::map<int32_t, bool> enabled;  // by command id; every command of the menu bar
};

// What the steps look at.
struct MenuInputs {
    int32_t playback_state = 0;
    int32_t frame_count = 0;
    int32_t event_count = 0;
    bool worker_running = false;
    bool note_selected = false;  // the roll's selection names a note of the list
};

extern MenuState menu_state;

// Every command enabled except 32771, 32777, 32779, 32774, 32780, 32784, 32782, 32787,
// 32786 and 32785.
MenuState initial_menu_state();

// The inputs of the program-wide state. The wave and event counts and the selection are
// read only when no worker runs (a running worker is rewriting them, and the steps do not
// need them then).
MenuInputs current_menu_inputs();

// The four steps, in order: 32775 follows playback_state; with samples and no worker
// 32774, 32780 and 32784 are enabled; with events and no worker the list commands are
// enabled and 32782 grayed; with a worker 32780 and 32784 are grayed and 32782 enabled.
void update_menu_state(MenuState& state, const MenuInputs& inputs);

// True for the commands that read or write the wave, the event list, the files they come
// from or the view the worker chooses: grayed while a worker runs, whatever the steps say.
bool command_touches_data(int32_t command);

// False for a command whose object is missing: [WAV再生] needs a loaded WAV file (it plays
// that file), 単一ノート編集 a selected note (its dialog edits that note).
bool command_has_object(int32_t command, const MenuInputs& inputs);

// What the menu shows for a command: enabled by the steps, not touching data a running
// worker rewrites, and with its object present.
bool menu_item_enabled(const MenuState& state, int32_t command, const MenuInputs& inputs);

// Puts menu_state, playback_state and wave_playing back to their start values (tests).
void reset_shell_state();
