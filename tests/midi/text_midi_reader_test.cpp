#include <gtest/gtest.h>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/text_midi_reader.h"
#include "midi/text_midi_writer.h"
#include "midi_file_test_helpers.h"
#include "support/midi_events.h"
#include "support/test_support.h"

using test::describe_all;
using test::describe_list;
using test::event;
using test::load_events;

namespace {

void reset_all()
{
    test::reset_engine_state();
    reset_text_midi_reader_memory();
}

// Reads a current-form file with room for 100 events and the given body.
int32_t read_body(const test::TempDir& dir, const std::string& body, const std::string& name = "in.txt")
{
    const std::string path = dir.file(name);
    test::write_text(path, "Version 645\nEvent_Max_count 100\nTime_Resolution 1536\n" + body);
    return read_text_midi(path.c_str());
}

} // namespace

TEST(TextMidiReader, TokensOfTheCurrentForm)
{
    const struct {
        const char* body;
        std::vector<MidiEvent> events;
    } cases[] = {
        {"C-2", {event(0, 0x80, 0, 0)}},
        {"G8", {event(0, 0x80, 127, 0)}},
        {"Cb3", {event(0, 0x80, 59, 0)}},
        {"B#3", {event(0, 0x80, 72, 0)}},
        {"c#4v64ca", {event(0, 0x9A, 73, 64, 10)}},
        {"C#4ca", {event(0, 0x8A, 73, 0, 10)}},
        {"A3v100 a3", {event(0, 0x90, 69, 100), event(0, 0x80, 69, 0)}},
        {"gb-1v5cF", {event(0, 0x9F, 18, 5, 15)}},
        {"A3V100", {event(0, 0x90, 69, 100)}},
        {"A3v90 A3v A3v0", {event(0, 0x90, 69, 90), event(0, 0x90, 69, 90), event(0, 0x90, 69, 90)}},
        {"A3v200", {event(0, 0x90, 69, 127)}},  // data bytes stay 7-bit
        {"T384 C3 T C3 T0 C3", {event(384, 0x80, 60, 0), event(768, 0x80, 60, 0), event(1152, 0x80, 60, 0)}},
        {"T384 T-100 C3 t C3", {event(284, 0x80, 60, 0), event(184, 0x80, 60, 0)}},
        {"P-200 P200 P0 P50 P-50c5 p1", {event(0, 0xE0, 0, 0), event(0, 0xE0, 0x7F, 0x7F), event(0, 0xE0, 0, 0x40),
                                          event(0, 0xE0, 0, 0x50), event(0, 0xE5, 0, 0x30, 5), event(0, 0xE0, 0x28, 0x40)}},
        {"P9999999 P-9999999", {event(0, 0xE0, 0x7F, 0x7F), event(0, 0xE0, 0, 0)}},
        {"X100c2 x127 X300", {event(0, 0xB2, 11, 100, 2), event(0, 0xB0, 11, 127), event(0, 0xB0, 11, 127)}},
        // Comments, unknown words and tokens that do not fit a rule are skipped.
        {"/C3 // C3 Tempo H3 A Ab A#- A10 A3x A3c A3cg A3vx A3v-5 C9 B#8 Cb-2 P X Pc3 X-5 T12a X1c T3 C3",
         {event(0, 0x80, 60, 0), event(3, 0x80, 60, 0)}},
    };
    for (const auto& c : cases) {
        reset_all();
        test::TempDir dir;
        read_body(dir, c.body);
        EXPECT_EQ(describe_list(), describe_all(c.events)) << c.body;
    }
}

TEST(TextMidiReader, RepeatsStartFromTheirBuiltInValuesAndPersistBetweenReads)
{
    reset_all();
    test::TempDir dir;
    read_body(dir, "T C3 A3v");
    EXPECT_EQ(describe_list(), describe_all({event(16, 0x80, 60, 0), event(16, 0x90, 69, 127)}));
    read_body(dir, "T500 A3v33");
    read_body(dir, "T A3v");
    EXPECT_EQ(describe_list(), describe_all({event(500, 0x90, 69, 33)}));
    read_body(dir, "T-7 C3");
    read_body(dir, "T C3 T C3");
    EXPECT_EQ(describe_list(), describe_all({event(-7, 0x80, 60, 0), event(-14, 0x80, 60, 0)}));
    EXPECT_EQ(midi_event_list.last_event_time, 0u);  // a time before the start ends the data at 0
}

TEST(TextMidiReader, SummaryValues)
{
    reset_all();
    test::TempDir dir;
    const std::string path = dir.file("s.txt");
    test::write_text(path, "Version 645\nEvent_Max_count 6\nTime_Resolution 1000\n"
                           "C3v80\nE3v80c2\nT250\nC3\nE3c2\nT250\nX5c4\nT100\n");
    EXPECT_EQ(read_text_midi(path.c_str()), 2);
    EXPECT_EQ(midi_event_list.event_count, 5);
    EXPECT_EQ(conversion_settings.TIME_UNIT, 1000);
    EXPECT_EQ(midi_event_list.channels_used, 5);
    EXPECT_EQ(midi_event_list.last_event_time, 600u);
    EXPECT_EQ(midi_event_list.duration_ms, 600u);
    EXPECT_EQ(midi_event_list.source_name, path);
}

TEST(TextMidiReader, HeaderCapacityAndResolution)
{
    const struct {
        const char* header;
        int32_t events;
        int32_t time_unit;
        uint32_t last_event_time;
    } cases[] = {
        {"Version 645 Event_Max_count 2 Time_Resolution 384", 2, 384, 100},  // stops at the second
        {"Version 645 Event_Max_count 0 Time_Resolution 384", 0, 384, 0},
        {"Version 645 Event_Max_count -4 Time_Resolution 384", 0, 384, 0},
        {"Version 645 Event_Max_count 12345678901234567890 Time_Resolution 384", 0, 384, 0},
        {"Version 645 Event_Max_count 9 Time_Resolution 0", 3, 1536, 200},
        {"Version 645 Event_Max_count 9 Time_Resolution -100", 3, 1536, 200},
        {"Version 645 Event_Max_count 9 Time_Resolution x", 3, 1536, 200},
        {"Version 645 Event_Max_count 9999999 Time_Resolution 48000", 3, 48000, 200},
        {"Vx 1 a 9 b 2000", 3, 2000, 200},  // the words are not compared
    };
    for (const auto& c : cases) {
        reset_all();
        test::TempDir dir;
        const std::string path = dir.file("h.txt");
        test::write_text(path, std::string(c.header) + "\nC3v80\nT100\nC3\nT100\nE3v9\n");
        read_text_midi(path.c_str());
        EXPECT_EQ(midi_event_list.event_count, c.events) << c.header;
        EXPECT_EQ(conversion_settings.TIME_UNIT, c.time_unit) << c.header;
        EXPECT_EQ(midi_event_list.last_event_time, c.last_event_time) << c.header;
        EXPECT_LE(midi_event_list.events.size(), 100u) << c.header;  // room bounded by the file
    }
}

TEST(TextMidiReader, OlderFormOfTokenAndNumberPairs)
{
    reset_all();
    test::TempDir dir;
    const std::string path = dir.file("old.txt");
    test::write_text(path,
                     "Event_Max_count 20\r\nTime_Resolution 1000\r\n"
                     "A3 100\r\nT 384\r\nA3 0\r\nc#4ca 64\r\nt 10\r\nC#4ca -3\r\nPc2 -50\r\nP 200\r\n"
                     "Xc1 127\r\nx 300\r\n/ 5\r\nfoo 3\r\nT 0\r\nA3v 100\r\nT3 5\r\nC3 x\r\n"
                     "Bb2 20000000000000000000\r\n" + std::string(100, 'A') + " 7\r\nG8 1\r\nG#8 1\r\nT -94\r\nC3 1\r\n");
    EXPECT_EQ(read_text_midi(path.c_str()), 1);  // the state after the last event is not sampled
    EXPECT_EQ(describe_list(),
              describe_all({event(0, 0x90, 69, 100), event(384, 0x80, 69, 0), event(384, 0x9A, 73, 64, 10),
                            event(394, 0x8A, 73, 0, 10), event(394, 0xE2, 0, 0x30, 2), event(394, 0xE0, 0x7F, 0x7F),
                            event(394, 0xB1, 11, 127, 1), event(394, 0xB0, 11, 127), event(394, 0x90, 127, 1),
                            event(300, 0x90, 60, 1)}));
    EXPECT_EQ(conversion_settings.TIME_UNIT, 1000);
    EXPECT_EQ(midi_event_list.channels_used, 11);
    EXPECT_EQ(midi_event_list.last_event_time, 300u);
}

TEST(TextMidiReader, OlderFormDoesNotTouchTheRepeatMemory)
{
    reset_all();
    test::TempDir dir;
    test::write_text(dir.file("old.txt"), "N 5 R 1536 T 300 A3 90");
    read_text_midi(dir.file("old.txt").c_str());
    read_body(dir, "T A3v");
    EXPECT_EQ(describe_list(), describe_all({event(16, 0x90, 69, 127)}));
}

TEST(TextMidiReader, CrLfAndLfReadAlike)
{
    reset_all();
    test::TempDir dir;
    const std::string body = "A3v100\nT1536\nP50c1\nX3\nA3\n";
    read_body(dir, body);
    const std::vector<std::string> lf = describe_list();
    std::string crlf;
    for (char c : body)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    read_body(dir, crlf);
    EXPECT_EQ(describe_list(), lf);
    EXPECT_EQ(lf.size(), 4u);
}

TEST(TextMidiReader, AMissingFileChangesOnlyTheEndTime)
{
    reset_all();
    test::TempDir dir;
    load_events({event(0, 0x90, 60, 90), event(10, 0x80, 60, 0)});
    midi_event_list.last_event_time = 10;
    midi_event_list.source_name = "before";
    EXPECT_EQ(read_text_midi(dir.file("missing.txt").c_str()), 0);
    EXPECT_EQ(read_text_midi(dir.path().string().c_str()), 0);  // a directory
    EXPECT_EQ(midi_event_list.event_count, 2);
    EXPECT_EQ(midi_event_list.last_event_time, 0u);
    EXPECT_EQ(midi_event_list.source_name, "before");
}

TEST(TextMidiReader, WrittenFileReadsBackWithTheKnownDifferences)
{
    reset_all();
    test::TempDir dir;
    conversion_settings.TIME_UNIT = 1000;
    const std::vector<MidiEvent> original = {
        event(0, 0x90, 60, 100, 7), event(0, 0x93, 64, 90, 3), event(0, 0xE3, 0x00, 0x50, 0), event(100, 0xB3, 11, 64),
        event(150, 0xB0, 7, 99),                    // controller 7 comes back as 11
        event(200, 0x90, 67, 0),                    // velocity 0 comes back as a note-off
        event(300, 0x80, 60, 55),                   // a note-off comes back with velocity 0
        event(250, 0x83, 64, 0, 3),                 // out of order: at its predecessor's time
        event(400, 0xE3, 0x00, 0x60), event(500, 0x8F, 127, 0, 1), event(20500, 0x9F, 0, 127)};
    load_events(original, 16);
    const std::string path = dir.file("round.txt");
    ASSERT_EQ(write_text_midi(path.c_str()), 11);
    const uint32_t written_end = midi_event_list.last_event_time;

    std::vector<MidiEvent> expected;
    int32_t running = 0;
    for (MidiEvent e : original) {
        running = std::max(running, e.time);
        e.time = running;
        e.tag = static_cast<uint8_t>(e.status & 0x0F);
        expected.push_back(midifile_test::as_in_text_form(e));
    }
    conversion_settings.TIME_UNIT = 1;
    read_text_midi(path.c_str());
    EXPECT_EQ(describe_list(), describe_all(expected));
    EXPECT_EQ(conversion_settings.TIME_UNIT, 1000);
    EXPECT_EQ(midi_event_list.channels_used, 16);
    EXPECT_EQ(midi_event_list.last_event_time, written_end);
}

TEST(TextMidiReader, ExactCentsKeepTheirBendValue)
{
    reset_all();
    test::TempDir dir;
    std::vector<MidiEvent> bends;
    for (int32_t cents = -200; cents <= 199; ++cents) {
        const int32_t value = cents * 4096 / 100 + 8192;
        if (value * 100 % 4096 == 0)  // only values whose cents are exact come back unchanged
            bends.push_back(event(0, 0xE0, static_cast<uint8_t>(value % 128), static_cast<uint8_t>(value / 128)));
    }
    ASSERT_GE(bends.size(), 8u);
    load_events(bends);
    ASSERT_GT(write_text_midi(dir.file("b.txt").c_str()), 0);
    read_text_midi(dir.file("b.txt").c_str());
    EXPECT_EQ(describe_list(), describe_all(bends));
}
