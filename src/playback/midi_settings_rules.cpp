#include "playback/midi_settings_rules.h"

#include <cstdint>

#include "midi/dialog_controls.h"
#include "midi/dialog_numbers.h"
#include "playback/gm_sound_set.h"
#include "playback/midi_output.h"

int32_t timbre_group_index = 0;

namespace {

using K = ControlKind;

constexpr int32_t GROUP_COUNT = static_cast<int32_t>(TIMBRE_GROUPS.size());

constexpr uint8_t GM_SYSTEM_ON[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr uint8_t XG_SYSTEM_ON[] = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};

const MidiSettingsField* find_field(int id)
{
    for (const MidiSettingsField& field : MIDI_SETTINGS_FIELDS)
        if (field.id == id)
            return &field;
    return nullptr;
}

// Steps the group by delta (wrapping) and takes its program; the banks are shown again
// as they are stored.
std::vector<int> step_timbre_group(int32_t delta)
{
    timbre_group_index = ((timbre_group_index + delta) % GROUP_COUNT + GROUP_COUNT) % GROUP_COUNT;
    midi_output_settings.PROGRAM = TIMBRE_GROUPS[static_cast<size_t>(timbre_group_index)].program;
    return {MIDI_PROGRAM_FIELD, MIDI_BANK1_FIELD, MIDI_BANK2_FIELD, MIDI_GROUP_FIELD,
            MIDI_PROGRAM_LIST};
}

// value + delta, or fallback when the result leaves [low, high].
int32_t step_or(int32_t value, int32_t delta, int32_t low, int32_t high, int32_t fallback)
{
    const int64_t next = int64_t{value} + delta;
    return next < low || next > high ? fallback : static_cast<int32_t>(next);
}

} // namespace

const std::array<ControlTemplate, 34> MIDI_SETTINGS_CONTROLS = {{
    {K::Label, MIDI_LABEL, "デバイスＩＤ", 4, 11, 43, 8},
    {K::Edit, MIDI_DEVICE_FIELD, "", 49, 8, 40, 14},
    {K::Button, MIDI_TAKE_DEVICE, "リスト選択", 96, 8, 42, 14},
    {K::Button, MIDI_GM_RESET, "ＧＭ初期設定", 229, 8, 50, 14},
    {K::ListBox, MIDI_DEVICE_LIST, "", 49, 28, 231, 29},
    {K::Label, MIDI_LABEL, "プログラム", 4, 69, 44, 8},
    {K::Edit, MIDI_PROGRAM_FIELD, "", 50, 66, 40, 14},
    {K::Button, MIDI_NEXT_GROUP, "次検索↓", 97, 66, 31, 14},
    {K::Button, MIDI_PREVIOUS_GROUP, "戻る↑", 137, 66, 32, 14},
    {K::Label, MIDI_LABEL, "音色", 178, 69, 21, 8},
    {K::ReadOnlyEdit, MIDI_GROUP_FIELD, "", 201, 66, 43, 14},
    {K::Button, MIDI_TAKE_PROGRAM, "GM音色選択", 8, 90, 49, 14},
    {K::ListBox, MIDI_PROGRAM_LIST, "", 65, 89, 131, 55},
    {K::Label, MIDI_LABEL, "バンク上", 213, 92, 36, 8},
    {K::Edit, MIDI_BANK1_FIELD, "", 251, 89, 28, 14},
    {K::Label, MIDI_LABEL, "バンク下", 212, 114, 36, 8},
    {K::Edit, MIDI_BANK2_FIELD, "", 250, 111, 29, 14},
    {K::Label, MIDI_LABEL, "リバーブ", 4, 159, 44, 8},
    {K::Edit, MIDI_REVERB_FIELD, "", 50, 156, 40, 14},
    {K::Label, MIDI_LABEL, "コーラス", 95, 158, 34, 8},
    {K::Edit, MIDI_CHORUS_FIELD, "", 131, 155, 40, 14},
    {K::Label, MIDI_LABEL, "音量", 185, 158, 21, 8},
    {K::Edit, MIDI_VOLUME_FIELD, "", 208, 155, 40, 14},
    {K::Label, MIDI_LABEL, "テンポ％", 4, 182, 45, 8},
    {K::Edit, MIDI_TEMPO_FIELD, "", 51, 179, 40, 14},
    {K::Button, MIDI_FASTER, "速く↓", 101, 180, 25, 14},
    {K::Button, MIDI_SLOWER, "遅く↑", 135, 181, 25, 14},
    {K::Button, MIDI_RESET_TEMPO_PITCH, "初期化", 176, 181, 31, 14},
    {K::Label, MIDI_LABEL, "音程・トーン", 2, 205, 46, 8},
    {K::Edit, MIDI_TRANSPOSE_FIELD, "", 50, 202, 40, 14},
    {K::Button, MIDI_HIGHER, "高く↑", 102, 203, 25, 14},
    {K::Button, MIDI_LOWER, "低く↓", 136, 203, 25, 14},
    {K::DefaultButton, MIDI_OK, "OK", 172, 224, 50, 14},
    {K::Button, MIDI_CANCEL, "ｷｬﾝｾﾙ", 230, 224, 50, 14},
}};

const std::array<MidiSettingsField, 9> MIDI_SETTINGS_FIELDS = {{
    {MIDI_DEVICE_FIELD, &MidiOutputSettings::DEVICE, false},
    {MIDI_PROGRAM_FIELD, &MidiOutputSettings::PROGRAM, false},
    {MIDI_TEMPO_FIELD, &MidiOutputSettings::TEMPO_PERCENT, false},
    {MIDI_TRANSPOSE_FIELD, &MidiOutputSettings::TRANSPOSE, true},
    {MIDI_BANK1_FIELD, &MidiOutputSettings::BANK1, false},
    {MIDI_BANK2_FIELD, &MidiOutputSettings::BANK2, false},
    {MIDI_VOLUME_FIELD, &MidiOutputSettings::VOLUME, false},
    {MIDI_REVERB_FIELD, &MidiOutputSettings::REVERB, false},
    {MIDI_CHORUS_FIELD, &MidiOutputSettings::CHORUS, false},
}};

std::vector<std::string> list_midi_devices()
{
    std::vector<std::string> rows = midi_output_names();
    if (rows.empty())
        rows.emplace_back("使用可能なMIDIデバイスがありません。");
    return rows;
}

void send_gm_reset()
{
    const std::unique_ptr<MidiConnection> out = open_midi_output(midi_output_settings.DEVICE);
    if (!out)
        return;
    out->send_sysex(GM_SYSTEM_ON);
    out->send_sysex(XG_SYSTEM_ON);
}

std::string midi_settings_field_text(int id)
{
    if (id == MIDI_GROUP_FIELD) {
        const int32_t group = ((timbre_group_index % GROUP_COUNT) + GROUP_COUNT) % GROUP_COUNT;
        return TIMBRE_GROUPS[static_cast<size_t>(group)].name;
    }
    const MidiSettingsField* field = find_field(id);
    if (!field)
        return {};
    const int32_t value = midi_output_settings.*field->setting;
    return field->is_signed ? signed_field_text(value) : unsigned_field_text(value);
}

int32_t midi_settings_list_row(int list_id)
{
    if (list_id == MIDI_DEVICE_LIST)
        return midi_output_settings.DEVICE;
    return static_cast<int32_t>(int64_t{midi_output_settings.PROGRAM} - 1);
}

void store_midi_settings_field(int id, std::string_view text)
{
    const MidiSettingsField* field = find_field(id);
    if (!field)
        return;
    midi_output_settings.*field->setting = read_dialog_int(text, field->is_signed);
}

std::vector<int> press_midi_settings_button(int id, int32_t selected_row)
{
    MidiOutputSettings& s = midi_output_settings;
    switch (id) {
    case MIDI_TAKE_DEVICE:
        s.DEVICE = selected_row;
        return {MIDI_DEVICE_FIELD};
    case MIDI_GM_RESET:
        send_gm_reset();
        return {};
    case MIDI_TAKE_PROGRAM:
        s.PROGRAM = selected_row + 1;
        return {MIDI_PROGRAM_FIELD};
    case MIDI_NEXT_GROUP:
        return step_timbre_group(1);
    case MIDI_PREVIOUS_GROUP:
        return step_timbre_group(-1);
    case MIDI_FASTER:
        s.TEMPO_PERCENT = step_or(s.TEMPO_PERCENT, -10, 10, INT32_MAX, 100);
        return {MIDI_TEMPO_FIELD};
    case MIDI_SLOWER:
        s.TEMPO_PERCENT = step_or(s.TEMPO_PERCENT, 10, INT32_MIN, 1000, 100);
        return {MIDI_TEMPO_FIELD};
    case MIDI_HIGHER:
        s.TRANSPOSE = step_or(s.TRANSPOSE, 6, INT32_MIN, 47, 0);
        return {MIDI_TRANSPOSE_FIELD};
    case MIDI_LOWER:
        s.TRANSPOSE = step_or(s.TRANSPOSE, -6, -48, INT32_MAX, 0);
        return {MIDI_TRANSPOSE_FIELD};
    case MIDI_RESET_TEMPO_PITCH:
        s.TEMPO_PERCENT = 100;
        s.TRANSPOSE = 0;
        return {MIDI_TEMPO_FIELD, MIDI_TRANSPOSE_FIELD};
    default:
        return {};
    }
}
