// Dialog 129 "MIDI演奏条件設定" without a toolkit: its controls and their places, what it
// shows, what each button stores in MidiOutputSettings and what OK reads back.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "midi/dialog_controls.h"

inline constexpr const char* MIDI_SETTINGS_TITLE = "MIDI演奏条件設定";
inline constexpr int MIDI_SETTINGS_WIDTH = 287;   // dialog units
inline constexpr int MIDI_SETTINGS_HEIGHT = 245;

// Control ids.
inline constexpr int MIDI_OK = 1;
inline constexpr int MIDI_CANCEL = 2;
inline constexpr int MIDI_DEVICE_LIST = 1001;
inline constexpr int MIDI_PROGRAM_LIST = 1002;
inline constexpr int MIDI_DEVICE_FIELD = 1003;
inline constexpr int MIDI_PROGRAM_FIELD = 1004;
inline constexpr int MIDI_TEMPO_FIELD = 1005;
inline constexpr int MIDI_TRANSPOSE_FIELD = 1006;
inline constexpr int MIDI_BANK1_FIELD = 1007;
inline constexpr int MIDI_BANK2_FIELD = 1008;
inline constexpr int MIDI_VOLUME_FIELD = 1009;
inline constexpr int MIDI_GROUP_FIELD = 1010;
inline constexpr int MIDI_REVERB_FIELD = 1011;
inline constexpr int MIDI_CHORUS_FIELD = 1012;
inline constexpr int MIDI_NEXT_GROUP = 1054;
inline constexpr int MIDI_PREVIOUS_GROUP = 1055;
inline constexpr int MIDI_FASTER = 1056;
inline constexpr int MIDI_SLOWER = 1057;
inline constexpr int MIDI_HIGHER = 1058;
inline constexpr int MIDI_LOWER = 1059;
inline constexpr int MIDI_TAKE_DEVICE = 1060;
inline constexpr int MIDI_GM_RESET = 1061;
inline constexpr int MIDI_TAKE_PROGRAM = 1062;
inline constexpr int MIDI_RESET_TEMPO_PITCH = 1066;
inline constexpr int MIDI_LABEL = STATIC_CONTROL;  // static labels have no id of their own

// Every control in tab order; each label stands just before (and left of) its field.
extern const std::array<ControlTemplate, 34> MIDI_SETTINGS_CONTROLS;

// The edit fields that hold a setting. Only the transposition is signed; the others show
// their value as unsigned 32-bit (DEVICE -1 shows as 4294967295) and read text that is not
// an unsigned number as 0.
struct MidiSettingsField {
    int id;
    int32_t MidiOutputSettings::*setting;
    bool is_signed;
};
extern const std::array<MidiSettingsField, 9> MIDI_SETTINGS_FIELDS;

// The current instrument group: 0..6, kept between openings of the dialog.
extern int32_t timbre_group_index;

// The rows of the device list: every output's name, the row number being its DEVICE id, or
// the one row "使用可能なMIDIデバイスがありません。" when there is none.
std::vector<std::string> list_midi_devices();

// Sends GM System On, then XG System On, to DEVICE on a connection of its own (a playing
// player keeps its own). A device that does not open makes it a silent no-op.
void send_gm_reset();

// The text an edit field shows for the current settings: a setting's number, or the group
// name for MIDI_GROUP_FIELD.
std::string midi_settings_field_text(int id);

// The row a list selects for the current settings: DEVICE in the device list, PROGRAM - 1
// in the program list. A row outside the list selects nothing.
int32_t midi_settings_list_row(int list_id);

// Stores the text typed into a setting's field, as OK does for every field.
void store_midi_settings_field(int id, std::string_view text);

// Runs a button's rule on the settings at once (cancel keeps it). selected_row is the
// selected row of the list the button takes from (-1 when none). Returns the controls to
// show again: edit fields to refill, MIDI_PROGRAM_LIST to select its row again.
std::vector<int> press_midi_settings_button(int id, int32_t selected_row);
