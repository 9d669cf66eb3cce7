// The two status lines, the volume ratio and the rules of dialog 131.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "midi/dialog_numbers.h"
#include "core/settings.h"
#include "midi/note_selection.h"
#include "support/midi_events.h"
#include "views/status_lines.h"
#include "support/view_state.h"
#include "wave/wav_reader.h"

namespace {

using test::event;

using Views = test::ViewStateTest;

} // namespace

TEST_F(Views, ExtensionMarkOverwritesThreeCharacters)
{
    struct Case { const char* name; const char* mark; const char* shown; };
    const Case cases[] = {
        {"/music/song.wav", "WAV", "/music/song.WAV"},
        {"x.wave", "WAV", "x.WAVe"},
        {"/music/song.mid", "TXT", "/music/song.TXT"},
        {"x.a", "TXT", "x.TXT"},
        {"/a.b/song", "WAV", "/a.WAVong"},  // the last "." lies in a directory name
        {"noext", "WAV", "noext"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(name_with_extension_mark(c.name, c.mark), c.shown) << c.name;
}

TEST_F(Views, WaveStatusLine)
{
    std::strcpy(wave_data.wave_name, "/tmp/take.wave");
    wave_data.frame_count = 66150;
    wave_data.channels = 2;
    EXPECT_EQ(wave_status_line(),
              "WAVEファイル:/tmp/take.WAVe サンプリング周波数:44100[Hz] 量子化ビット長:16[bits] "
              "チャンネル数:2 演奏時間:1500[msec]\n");
    EXPECT_EQ(midi_event_list.duration_ms, 1500u);
}

// The peak code rate is measured again for every line and stored.
TEST_F(Views, MidiStatusLine)
{
    test::load_events({event(0, 0x90, 60, 100), event(0, 0x90, 64, 100), event(500, 0x80, 60), event(500, 0x80, 64)});
    midi_event_list.source_name = "/music/song.mid";
    midi_event_list.duration_ms = 325;
    midi_event_list.max_polyphony = 2;
    EXPECT_EQ(midi_status_line(),
              "MIDIファイル:/music/song.TXT イベント数:4 演奏時間:325 チャンネル数:1 和音数:2 音量比率:200 "
              "符号長[bps]:320\n");
    EXPECT_EQ(midi_event_list.peak_code_rate, 320);
}

TEST_F(Views, VolumeRatio)
{
    struct Case { const char* what; std::vector<MidiEvent> events; int ratio; };
    const Case cases[] = {
        {"empty", {}, -1},
        {"one note", {event(0, 0x90, 60, 100), event(100, 0x80, 60)}, 100},
        {"a chord exceeds 127",
         {event(0, 0x90, 60, 100), event(0, 0x91, 67, 100), event(100, 0x80, 60), event(100, 0x81, 67)}, 200},
        {"a note-on of a sounding note is ignored",
         {event(0, 0x90, 60, 100), event(50, 0x90, 60, 10), event(100, 0x80, 60)}, 100},
        {"silence counts in the length",
         {event(0, 0x90, 60, 100), event(100, 0x80, 60), event(400, 0xB0, 11, 127)}, 25},
        {"first and last at one time", {event(7, 0x90, 60, 100), event(7, 0x80, 60)}, 0},
        {"long data does not wrap",
         {event(0, 0x90, 60, 127), event(20'000'000, 0x80, 60), event(20'000'000, 0x90, 61, 1)}, 127},
    };
    for (const Case& c : cases) {
        test::load_events(c.events);
        EXPECT_EQ(volume_ratio(), c.ratio) << c.what;
    }
}

// Dialog 131: times shown signed, notes unsigned; OK reads them back (not a number reads
// as 0); the pick buttons store the selected note's values at once.
TEST_F(Views, DisplayRangeDialogRules)
{
    display_settings.display_note_high = -1;
    const DisplayRangeFields shown = display_range_fields();
    EXPECT_EQ(shown.start_ms, "0");
    EXPECT_EQ(shown.end_ms, "-1");
    EXPECT_EQ(shown.note_low, "19");
    EXPECT_EQ(shown.note_high, "4294967295");

    store_display_range_fields({"  -250", "12abc", "abc", "4294967295"});
    EXPECT_EQ(display_settings.display_start_ms, -250);
    EXPECT_EQ(display_settings.display_end_ms, 12);
    EXPECT_EQ(display_settings.display_note_low, 0);
    EXPECT_EQ(display_settings.display_note_high, -1);

    struct Case { const char* text; bool is_signed; int32_t value; };
    const Case numbers[] = {
        {"-5", false, 0}, {"2147483648", true, 0}, {"-2147483648", true, INT32_MIN},
        {"4294967296", false, 0}, {"", true, 0}, {"+3", true, 0},
    };
    for (const Case& c : numbers)
        EXPECT_EQ(read_dialog_int(c.text, c.is_signed), c.value) << c.text;

    conversion_settings.TIME_UNIT = 1536;
    note_selection.selected_on_time = 3072;
    note_selection.selected_off_time = 4608;
    note_selection.selected_note = 64;
    EXPECT_EQ(pick_display_start(), "2000");
    EXPECT_EQ(pick_display_end(), "3000");
    EXPECT_EQ(pick_note_low(), "64");
    EXPECT_EQ(pick_note_high(), "64");
    EXPECT_EQ(display_settings.display_end_ms, 3000);
    conversion_settings.TIME_UNIT = 0;
    EXPECT_EQ(pick_display_start(), "0");
    reset_display_settings();
    EXPECT_EQ(display_settings.display_note_low, 19);
    EXPECT_EQ(display_settings.display_end_ms, -1);
}
