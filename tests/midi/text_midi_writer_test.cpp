#include <gtest/gtest.h>

#include <filesystem>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/text_midi_writer.h"
#include "midi_file_test_helpers.h"
#include "support/midi_events.h"
#include "support/test_support.h"

using midifile_test::lines_of;
using test::event;
using test::load_events;

namespace {

// Writes the list and returns the body lines after the three header lines.
std::vector<std::string> written_body(const test::TempDir& dir)
{
    const std::string path = dir.file("out.txt");
    EXPECT_EQ(write_text_midi(path.c_str()), midi_event_list.event_count);
    std::vector<std::string> lines = lines_of(test::read_text(path));
    EXPECT_GE(lines.size(), 3u);
    return std::vector<std::string>(lines.begin() + std::min<size_t>(3, lines.size()), lines.end());
}

} // namespace

TEST(TextMidiWriter, OneNoteGivesTheSixLines)
{
    test::reset_engine_state();
    test::TempDir dir;
    load_events({event(0, 0x90, 69, 100), event(1536, 0x80, 69, 0)});
    const std::string path = dir.file("one.txt");
    EXPECT_EQ(write_text_midi(path.c_str()), 2);
    EXPECT_EQ(test::read_text(path), "Version 645\nEvent_Max_count 2\nTime_Resolution 1536\nA3v100\nT1536\nA3\n");
    EXPECT_EQ(midi_event_list.last_event_time, 1536u);
    EXPECT_EQ(midi_event_list.duration_ms, 1000u);
    EXPECT_EQ(midi_event_list.source_name, path);
}

TEST(TextMidiWriter, EventLinesForEveryKind)
{
    test::reset_engine_state();
    test::TempDir dir;
    const struct {
        MidiEvent event;
        const char* line;
    } cases[] = {
        {event(0, 0x90, 69, 100), "A3v100"},
        {event(0, 0x80, 69, 0), "A3"},
        {event(0, 0x80, 69, 55), "A3"},          // a note-off never has a velocity part
        {event(0, 0x90, 69, 0), "A3"},           // velocity 0 is written as a note-off
        {event(0, 0x9A, 73, 64), "C#4v64ca"},
        {event(0, 0x8A, 73, 0), "C#4ca"},
        {event(0, 0x90, 0, 1), "C-2v1"},
        {event(0, 0x9F, 127, 127), "G8v127cf"},
        {event(0, 0xE0, 0, 0), "P-200"},
        {event(0, 0xE0, 0x7F, 0x7F), "P199"},
        {event(0, 0xE0, 0, 0x40), "P0"},
        {event(0, 0xE0, 0, 0x50), "P50"},        // 10240
        {event(0, 0xE0, 1, 0x40), "P0"},         // 8193: 2 cents short of a step, truncated
        {event(0, 0xE0, 0x7F, 0x3F), "P0"},      // 8191: truncated toward zero, not down
        {event(0, 0xE5, 0, 0x30), "P-50c5"},
        {event(0, 0xB3, 11, 127), "X127c3"},
        {event(0, 0xB0, 7, 90), "X90"},          // the controller number is not written
    };
    std::vector<MidiEvent> events;
    for (const auto& c : cases)
        events.push_back(c.event);
    load_events(events);
    const std::vector<std::string> body = written_body(dir);
    ASSERT_EQ(body.size(), std::size(cases));
    for (size_t i = 0; i < body.size(); ++i)
        EXPECT_EQ(body[i], cases[i].line) << test::describe(cases[i].event);
}

TEST(TextMidiWriter, TimeLinesOnlyForPositiveIntervals)
{
    test::reset_engine_state();
    test::TempDir dir;
    load_events({event(100, 0x90, 60, 90), event(100, 0x90, 64, 90), event(400, 0x80, 60, 0),
                 event(300, 0x80, 64, 0),          // earlier than its predecessor: no time line
                 event(500, 0xA0, 60, 1),          // a kind without a line keeps its time line
                 event(-7, 0x90, 67, 80),          // negative time: simultaneous with predecessor
                 event(600, 0x80, 67, 0)});
    EXPECT_EQ(written_body(dir),
              (std::vector<std::string>{"T100", "C3v90", "E3v90", "T300", "C3", "E3", "T100",
                                        "G3v80", "T100", "G3"}));
    EXPECT_EQ(midi_event_list.last_event_time, 600u);  // not shortened by the late event
    EXPECT_EQ(midi_event_list.duration_ms, 390u);      // 600 * 1000 / 1536
}

TEST(TextMidiWriter, HeaderCarriesCountAndResolution)
{
    test::reset_engine_state();
    test::TempDir dir;
    conversion_settings.TIME_UNIT = 1000;
    load_events({event(0, 0x90, 60, 90), event(10, 0x80, 60, 0), event(10, 0xB0, 11, 5)});
    const std::string path = dir.file("h.txt");
    EXPECT_EQ(write_text_midi(path.c_str()), 3);
    const auto lines = lines_of(test::read_text(path));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "Event_Max_count 3");
    EXPECT_EQ(lines[2], "Time_Resolution 1000");
    EXPECT_EQ(test::read_text(path).find('\r'), std::string::npos);
}

TEST(TextMidiWriter, NothingWrittenForEmptyListOrBadPath)
{
    test::reset_engine_state();
    test::TempDir dir;
    midi_event_list.last_event_time = 77;
    midi_event_list.source_name = "before";
    const std::string empty = dir.file("empty.txt");
    EXPECT_EQ(write_text_midi(empty.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(empty));

    load_events({event(0, 0x90, 60, 90), event(10, 0x80, 60, 0)});
    const std::string bad = dir.file("no/such/dir/x.txt");
    EXPECT_EQ(write_text_midi(bad.c_str()), 0);
    if (std::filesystem::exists("/dev/full")) {  // accepts the open, then fails every write
        EXPECT_EQ(write_text_midi("/dev/full"), 0);
    }
    EXPECT_EQ(midi_event_list.last_event_time, 77u);
    EXPECT_EQ(midi_event_list.source_name, "before");
}
