#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings.h"
#include "playback/gm_sound_set.h"
#include "playback/midi_settings_rules.h"
#include "playback_fixture.h"

namespace {

class MidiSettingsRulesTest : public test::PlaybackTest {
protected:
    void SetUp() override
    {
        PlaybackTest::SetUp();
        timbre_group_index = 0;
    }
};

TEST_F(MidiSettingsRulesTest, ProgramNamesKeepTheDialogsOwnSpellings)
{
    struct Case { size_t index; const char* name; };
    const Case cases[] = {{0, "Grand Pianno"}, {1, "Brite Piano"}, {4, "Electroc.Piano1"},
                          {5, "Electric .Piano2"}, {13, "Xylophon"}, {53, "Voice Oohs"},
                          {112, "Trinkle Bell"}, {127, "Gunshot"}};
    for (const Case& c : cases)
        EXPECT_STREQ(GM_PROGRAM_NAMES[c.index], c.name);
}

// "次検索↓" seven times cycles through the groups back to the piano; "戻る↑" wraps the other
// way. Both show the stored banks again and select the program's row.
TEST_F(MidiSettingsRulesTest, GroupButtonsStepThroughTheSevenGroups)
{
    const int32_t next_programs[] = {54, 49, 62, 75, 20, 25, 1};
    for (const int32_t program : next_programs) {
        const std::vector<int> shown = press_midi_settings_button(MIDI_NEXT_GROUP, -1);
        EXPECT_EQ(midi_output_settings.PROGRAM, program);
        EXPECT_EQ(midi_settings_list_row(MIDI_PROGRAM_LIST), program - 1);
        EXPECT_EQ(shown, (std::vector<int>{MIDI_PROGRAM_FIELD, MIDI_BANK1_FIELD, MIDI_BANK2_FIELD,
                                           MIDI_GROUP_FIELD, MIDI_PROGRAM_LIST}));
    }
    press_midi_settings_button(MIDI_PREVIOUS_GROUP, -1);
    EXPECT_EQ(midi_output_settings.PROGRAM, 25);
    EXPECT_EQ(midi_settings_field_text(MIDI_GROUP_FIELD), "ギター");
    EXPECT_EQ(timbre_group_index, 6);
}

TEST_F(MidiSettingsRulesTest, TempoAndPitchButtonsWrapToTheirDefaults)
{
    struct Case { int button; int32_t tempo, transpose, new_tempo, new_transpose; };
    const Case cases[] = {
        {MIDI_FASTER, 100, 0, 90, 0},
        {MIDI_FASTER, 20, 0, 10, 0},
        {MIDI_FASTER, 10, 0, 100, 0},
        {MIDI_FASTER, INT32_MIN, 0, 100, 0},
        {MIDI_SLOWER, 990, 0, 1000, 0},
        {MIDI_SLOWER, 1000, 0, 100, 0},
        {MIDI_SLOWER, INT32_MAX, 0, 100, 0},
        {MIDI_HIGHER, 100, 36, 100, 42},
        {MIDI_HIGHER, 100, 42, 100, 0},
        {MIDI_LOWER, 100, -42, 100, -48},
        {MIDI_LOWER, 100, -48, 100, 0},
        {MIDI_RESET_TEMPO_PITCH, 250, -12, 100, 0},
    };
    for (const Case& c : cases) {
        midi_output_settings.TEMPO_PERCENT = c.tempo;
        midi_output_settings.TRANSPOSE = c.transpose;
        press_midi_settings_button(c.button, -1);
        EXPECT_EQ(midi_output_settings.TEMPO_PERCENT, c.new_tempo) << c.button << " " << c.tempo;
        EXPECT_EQ(midi_output_settings.TRANSPOSE, c.new_transpose) << c.button << " " << c.transpose;
    }
}

// The list buttons take the selected row; with none selected the device becomes -1 and
// shows as its unsigned value, which OK reads back as -1.
TEST_F(MidiSettingsRulesTest, ListButtonsTakeTheSelectedRow)
{
    press_midi_settings_button(MIDI_TAKE_DEVICE, -1);
    EXPECT_EQ(midi_output_settings.DEVICE, -1);
    EXPECT_EQ(midi_settings_field_text(MIDI_DEVICE_FIELD), "4294967295");
    store_midi_settings_field(MIDI_DEVICE_FIELD, "4294967295");
    EXPECT_EQ(midi_output_settings.DEVICE, -1);

    midi_output_settings.DEVICE = 0;
    midi_output_settings.PROGRAM = 40;
    EXPECT_EQ(press_midi_settings_button(MIDI_TAKE_PROGRAM, 0), std::vector<int>{MIDI_PROGRAM_FIELD});
    EXPECT_EQ(midi_output_settings.PROGRAM, 1);
    test::load_events({test::event(0, 0x90, 60, 100)});
    start_midi_playback();
    EXPECT_EQ(midi_recording.log.at(3), "C0 00 00");  // program change 0
}

// OK reads the transposition signed and every other field unsigned.
TEST_F(MidiSettingsRulesTest, OkReadsOnlyTheTranspositionSigned)
{
    struct Case { int id; const char* text; int32_t MidiOutputSettings::*setting; int32_t value; };
    const Case cases[] = {
        {MIDI_TRANSPOSE_FIELD, "-12", &MidiOutputSettings::TRANSPOSE, -12},
        {MIDI_VOLUME_FIELD, "-12", &MidiOutputSettings::VOLUME, 0},
        {MIDI_TEMPO_FIELD, " 150%", &MidiOutputSettings::TEMPO_PERCENT, 150},
        {MIDI_DEVICE_FIELD, "4294967295", &MidiOutputSettings::DEVICE, -1},
        {MIDI_CHORUS_FIELD, "abc", &MidiOutputSettings::CHORUS, 0},
    };
    for (const Case& c : cases) {
        midi_output_settings.*c.setting = 99;
        store_midi_settings_field(c.id, c.text);
        EXPECT_EQ(midi_output_settings.*c.setting, c.value) << c.id << " " << c.text;
    }
    EXPECT_EQ(midi_settings_field_text(MIDI_TRANSPOSE_FIELD), "-12");
}

TEST_F(MidiSettingsRulesTest, TheDeviceListNumbersEveryPortInBackendOrder)
{
    set_midi_backends({});
    EXPECT_EQ(list_midi_devices(), std::vector<std::string>{"使用可能なMIDIデバイスがありません。"});

    midi_recording.port_names = {"Synth", "Port A"};
    set_midi_backends({recording_midi_backend(), recording_midi_backend()});
    EXPECT_EQ(list_midi_devices(), (std::vector<std::string>{"Synth", "Port A", "Synth", "Port A"}));
    const int32_t devices[] = {-1, 0, 1, 2, 3, 4};
    const char* opened[] = {nullptr, "open 0", "open 1", "open 0", "open 1", nullptr};
    for (size_t i = 0; i < std::size(devices); ++i) {
        midi_recording.log.clear();
        const bool open = open_midi_output(devices[i]) != nullptr;
        EXPECT_EQ(open, opened[i] != nullptr) << devices[i];
        if (open) {
            EXPECT_EQ(midi_recording.log.front(), opened[i]);
        }
    }
}

// The reset opens a connection of its own, so a playing player keeps its device and goes on.
TEST_F(MidiSettingsRulesTest, GmResetSendsBothSystemOnMessagesOnItsOwnConnection)
{
    test::load_events({test::event(0, 0x90, 60, 100), test::event(1536, 0x80, 60)});
    start_midi_playback();
    const size_t before = midi_recording.log.size();
    press_midi_settings_button(MIDI_GM_RESET, -1);
    EXPECT_EQ(log_since(before), (std::vector<std::string>{
                                     "open 0", "F0 7E 7F 09 01 F7", "F0 43 10 4C 00 00 7E 00 F7",
                                     "close"}));
    EXPECT_TRUE(midi_playback_running());
    const auto sent = run_to_end();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].second, "80 3C 00");

    midi_recording.log.clear();
    midi_recording.open_fails = true;
    send_gm_reset();
    EXPECT_TRUE(midi_recording.log.empty());
}

TEST_F(MidiSettingsRulesTest, ShortMessagesReachPortsAsCompleteSevenBitMessages)
{
    struct Case { uint32_t message; int length; uint8_t b0, b1, b2; };
    const Case cases[] = {
        {pack_short_message(0x90, 60, 100), 3, 0x90, 60, 100},
        {pack_short_message(0xC3, 0xFF, 0), 2, 0xC3, 0x7F, 0},
        {pack_short_message(0xD0, 5, 9), 2, 0xD0, 5, 9},
        {pack_short_message(0xB0, 0x20, 0x85), 3, 0xB0, 0x20, 0x05},
        {pack_short_message(0x20, 1, 0), 0, 0, 0, 0},
        {pack_short_message(0xF8, 0, 0), 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const ShortMessageBytes out = short_message_bytes(c.message);
        EXPECT_EQ(out.length, c.length) << std::hex << c.message;
        if (c.length > 0) {
            EXPECT_EQ(out.bytes[0], c.b0);
            EXPECT_EQ(out.bytes[1], c.b1);
            EXPECT_EQ(out.bytes[2], c.b2);
        }
    }
}

} // namespace
