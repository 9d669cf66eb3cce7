// The text MIDI reader may not crash, hang, read out of bounds or store beyond its room on
// any input.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/text_midi_reader.h"
#include "midi/text_midi_writer.h"
#include "midi_file_test_helpers.h"
#include "support/midi_events.h"
#include "support/test_support.h"

using midifile_test::representative_events;
using test::load_events;

namespace {

// Reads text as a text MIDI file and checks what any read must leave behind.
void check_text_read(const std::string& path, const std::string& text, const std::string& what)
{
    test::write_text(path, text);
    read_text_midi(path.c_str());
    const MidiEventList& list = midi_event_list;
    ASSERT_GE(list.event_count, 0) << what;
    // The room allocated follows the text, whatever count the header claims.
    ASSERT_LE(list.events.size(), text.size() / 2 + 1) << what;
    ASSERT_LE(static_cast<size_t>(list.event_count), list.events.size()) << what;
    ASSERT_GT(conversion_settings.TIME_UNIT, 0) << what;
    ASSERT_GE(list.channels_used, 1) << what;
    ASSERT_LE(list.channels_used, 16) << what;
    for (const MidiEvent& e : test::list_events())
        ASSERT_LE(e.data1, 127) << what;
}

std::string written_text(const test::TempDir& dir)
{
    load_events(representative_events(), 3);
    const std::string path = dir.file("valid.txt");
    EXPECT_GT(write_text_midi(path.c_str()), 0);
    return test::read_text(path);
}

} // namespace

TEST(TextMalformedInput, EveryTruncationOfValidFiles)
{
    test::reset_engine_state();
    reset_text_midi_reader_memory();
    test::TempDir dir;
    const std::string text = written_text(dir);
    const std::string older = "Count 9 Res 1000 A3 100 T 384 A3 0 Pc2 -50 Xc1 127";
    const std::string path = dir.file("cut.txt");
    for (const std::string& file : {text, older})
        for (size_t length = 0; length <= file.size(); ++length)
            check_text_read(path, file.substr(0, length), "cut at " + std::to_string(length));
}

TEST(TextMalformedInput, LongTokensAndHugeNumbers)
{
    test::reset_engine_state();
    reset_text_midi_reader_memory();
    test::TempDir dir;
    const std::string path = dir.file("long.txt");
    const std::string digits20 = "12345678901234567890";
    const std::string long_note = "A3v" + std::string(97, '1');
    const std::string body = "A3v100 " + std::string(100, 'T') + " T" + digits20 + " A3v" + digits20 + " P" +
                             digits20 + " P-" + digits20 + " X" + digits20 + " " + long_note + " T" +
                             std::string(100, '9') + " T9999999 T9999999 C3 " + std::string(100, '/') + " E3";
    check_text_read(path, "Version 645 Event_Max_count 100 Time_Resolution 1536 " + body, "long tokens");
    EXPECT_EQ(midi_event_list.event_count, 3);
    EXPECT_EQ(midi_event_list.events[1].time, 19999998);
    check_text_read(path, "Version " + digits20 + " Event_Max_count " + digits20 + " Time_Resolution " + digits20,
                    "huge header");
    EXPECT_EQ(midi_event_list.event_count, 0);
    check_text_read(path, "Version 645 Event_Max_count 9999999 Time_Resolution 1536 C3v1", "largest count");
    EXPECT_EQ(midi_event_list.event_count, 1);
    check_text_read(path, "Count 9 Res 1000 " + std::string(100, 'A') + " 100 A3 " + digits20 + " C3 1",
                    "older form");
    EXPECT_EQ(midi_event_list.event_count, 1);

    // Times add up without wrapping: 300 intervals of 9999999 stop at the largest time.
    std::string many = "Version 645 Event_Max_count 2 Time_Resolution 1536 C3";
    for (int i = 0; i < 300; ++i)
        many += " T9999999";
    check_text_read(path, many + " C3", "many intervals");
    EXPECT_EQ(midi_event_list.events[1].time, INT32_MAX);
    EXPECT_EQ(midi_event_list.last_event_time, static_cast<uint32_t>(INT32_MAX));
}

TEST(TextMalformedInput, RandomBytesAndTokens)
{
    test::reset_engine_state();
    reset_text_midi_reader_memory();
    test::TempDir dir;
    const std::string path = dir.file("random.txt");
    const char* pieces[] = {"A", "b", "#", "-", "3", "9", "v", "c", "f", "T", "P", "X", "/", " ", "\n", "\r",
                            "0", "7", "G", "Version", "\t", "x", "\xff", "\x80"};
    std::mt19937 random(777);
    for (int round = 0; round < 600; ++round) {
        std::string text = (round % 2) ? "Version 645 Event_Max_count 40 Time_Resolution 96 " : "";
        const size_t count = random() % 120;
        for (size_t i = 0; i < count; ++i) {
            if (round % 5 == 4)
                text += static_cast<char>(random());
            else
                text += pieces[random() % std::size(pieces)];
        }
        check_text_read(path, text, "round " + std::to_string(round));
    }
}
