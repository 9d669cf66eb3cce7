#include "shell/menu_state.h"

#include "core/status.h"
#include "midi/midi_event_list.h"
#include "midi/note_selection.h"
#include "shell/commands.h"
#include "shell/playback_state.h"
#include "wave/wav_reader.h"

MenuState menu_state = initial_menu_state();

namespace {

void set(MenuState& state, std::initializer_list<int32_t> commands, bool enabled)
{
    for (int32_t command : commands)
        state.enabled[command] = enabled;
}

} // namespace

MenuState initial_menu_state()
{
    MenuState state;
    for (int32_t command : all_commands())
        state.enabled[command] = true;
    set(state,
        {CMD_PLAY_MIDI, CMD_SAVE_SMF, CMD_SAVE_TEXT, CMD_PLAY_WAVE, CMD_CONVERT, CMD_RECONVERT,
         CMD_STOP_CONVERSION, CMD_FILTER, CMD_CHANGE_PITCH_TEMPO, CMD_EDIT_NOTE},
        false);
    return state;
}

MenuInputs current_menu_inputs()
{
    MenuInputs inputs;
    inputs.playback_state = playback_state;
    inputs.worker_running = conversion_status.conversion_thread;
    if (!inputs.worker_running) {
        inputs.frame_count = wave_data.frame_count;
        inputs.event_count = midi_event_list.event_count;
        inputs.note_selected = selection_is_valid();
    }
    return inputs;
}

void update_menu_state(MenuState& state, const MenuInputs& inputs)
{
    state.enabled[CMD_STOP_PLAYBACK] = inputs.playback_state != 0;
    if (inputs.frame_count > 0 && !inputs.worker_running)
        set(state, {CMD_PLAY_WAVE, CMD_CONVERT, CMD_RECONVERT}, true);
    if (inputs.event_count != 0 && !inputs.worker_running) {
        set(state,
            {CMD_PLAY_MIDI, CMD_SAVE_SMF, CMD_SAVE_TEXT, CMD_FILTER, CMD_CHANGE_PITCH_TEMPO,
             CMD_EDIT_NOTE},
            true);
        state.enabled[CMD_STOP_CONVERSION] = false;
    }
    if (inputs.worker_running) {
        set(state, {CMD_CONVERT, CMD_RECONVERT}, false);
        state.enabled[CMD_STOP_CONVERSION] = true;
    }
}

bool command_touches_data(int32_t command)
{
    switch (command) {
    case CMD_READ_WAVE:
    case CMD_READ_TEXT:
    case CMD_READ_SMF:
    case CMD_SAVE_TEXT:
    case CMD_SAVE_SMF:
    case CMD_PLAY_WAVE:
    case CMD_PLAY_MIDI:
    case CMD_FILTER:
    case CMD_CHANGE_PITCH_TEMPO:
    case CMD_EDIT_NOTE:
    case CMD_DISPLAY_SETTINGS:  // it sets document_state, which the worker writes
        return true;
    default:
        return false;
    }
}

bool command_has_object(int32_t command, const MenuInputs& inputs)
{
    if (command == CMD_PLAY_WAVE)
        return inputs.frame_count > 0;
    if (command == CMD_EDIT_NOTE)
        return inputs.note_selected;
    return true;
}

bool menu_item_enabled(const MenuState& state, int32_t command, const MenuInputs& inputs)
{
    const auto it = state.enabled.find(command);
    const bool enabled = it != state.enabled.end() && it->second;
    if (inputs.worker_running)
        return enabled && !command_touches_data(command);
    return enabled && command_has_object(command, inputs);
}

void reset_shell_state()
{
    menu_state = initial_menu_state();
    playback_state = 0;
    wave_playing = 0;
}
