#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/smf_reader.h"
#include "midi/smf_writer.h"
#include "midi_file_test_helpers.h"
#include "support/midi_events.h"
#include "support/test_support.h"

using midifile_test::fixture;
using midifile_test::read_smf_bytes;
using midifile_test::representative_events;
using midifile_test::set_representative_settings;
using test::describe_all;
using test::describe_list;
using test::event;
using test::load_events;

namespace {

using Bytes = std::vector<uint8_t>;

// A format-0 file around the given track data, with the track length given or its own.
Bytes format0_file(const Bytes& track, int64_t length = -1)
{
    const uint32_t l = static_cast<uint32_t>(length < 0 ? static_cast<int64_t>(track.size()) : length);
    Bytes b = {0x4D, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0x80, 0x4D, 0x54, 0x72, 0x6B,
               static_cast<uint8_t>(l >> 24), static_cast<uint8_t>(l >> 16), static_cast<uint8_t>(l >> 8),
               static_cast<uint8_t>(l)};
    for (uint8_t byte : track)
        b.push_back(byte);
    return b;
}

// Track data that starts like ours: name, tempo 250000 (TIME_UNIT 1536), then the body.
Bytes track_with_tempo(const Bytes& body, uint32_t tempo = 250000)
{
    Bytes t = {0x00, 0xFF, 0x03, 0x01, 0x41, 0x00, 0xFF, 0x51, 0x03, static_cast<uint8_t>(tempo >> 16),
               static_cast<uint8_t>(tempo >> 8), static_cast<uint8_t>(tempo)};
    for (uint8_t byte : body)
        t.push_back(byte);
    return t;
}

} // namespace

TEST(SmfReader, WrittenFileComesBackWithSetUpInFront)
{
    for (int32_t time_unit : {1536, 1000, 48000}) {
        test::reset_engine_state();
        test::TempDir dir;
        set_representative_settings();
        conversion_settings.TIME_UNIT = time_unit;
        load_events(representative_events(), 3);
        const std::string path = dir.file("rep.mid");
        ASSERT_GT(write_smf(path.c_str()), 0);

        std::vector<MidiEvent> expected;
        for (uint8_t c = 0; c < 3; ++c) {
            expected.push_back(event(0, static_cast<uint8_t>(0xE0 + c), 0x00, 0x40));
            expected.push_back(event(0, static_cast<uint8_t>(0xB0 + c), 11, 127));
        }
        int32_t running = 0;
        for (MidiEvent e : representative_events()) {
            running = std::max(running, e.time);
            e.time = running;  // out of order: at its predecessor's time
            e.tag = 0;
            expected.push_back(e);
        }
        conversion_settings.TIME_UNIT = 1;
        load_events({event(5, 0x90, 1, 1)});
        EXPECT_EQ(read_smf(path.c_str()), 2);
        EXPECT_EQ(describe_list(), describe_all(expected));
        EXPECT_EQ(conversion_settings.TIME_UNIT, time_unit);
        EXPECT_EQ(midi_event_list.channels_used, 3);
        EXPECT_EQ(midi_event_list.last_event_time, 20968u);
        EXPECT_EQ(midi_event_list.duration_ms, 20968u * 1000u / static_cast<uint32_t>(time_unit));
        EXPECT_EQ(midi_event_list.source_name, path);
    }
}

TEST(SmfReader, ResolutionsThatDoNotDivideTheTempoComeBackTruncated)
{
    test::reset_engine_state();
    test::TempDir dir;
    conversion_settings.TIME_UNIT = 1000003;  // tempo 383 us; 384000000 / 383 = 1002610.97
    load_events({event(0, 0x90, 60, 90)});
    const std::string path = dir.file("t.mid");
    ASSERT_GT(write_smf(path.c_str()), 0);
    read_smf(path.c_str());
    EXPECT_EQ(conversion_settings.TIME_UNIT, 1002610);
}

// A well-formed file in running status is not one the program writes: it is read as played
// (the subset's reading stopped at the first running-status event).
TEST(SmfReader, RunningStatusIsFollowed)
{
    test::reset_engine_state();
    EXPECT_EQ(read_smf(fixture("running_status.mid").c_str()), 2);
    EXPECT_EQ(describe_list(),
              describe_all({event(0, 0x90, 60, 100), event(96, 0x90, 64, 100), event(192, 0x80, 60, 0)}));
    EXPECT_EQ(conversion_settings.TIME_UNIT, 1536);
    EXPECT_EQ(midi_event_list.last_event_time, 192u);
}

TEST(SmfReader, SkippedMessagesStillCountTheirDeltas)
{
    test::reset_engine_state();
    EXPECT_EQ(read_smf(fixture("program_change.mid").c_str()), 1);
    EXPECT_EQ(describe_list(),
              describe_all({event(192, 0x90, 60, 90), event(576, 0x80, 60, 0), event(576, 0xE0, 0, 0x40),
                            event(586, 0xB0, 11, 50), event(586, 0x91, 62, 70), event(686, 0x81, 62, 0)}));
    EXPECT_EQ(conversion_settings.TIME_UNIT, 1000);
    EXPECT_EQ(midi_event_list.channels_used, 2);
    EXPECT_EQ(midi_event_list.last_event_time, 686u);
    EXPECT_EQ(midi_event_list.duration_ms, 686u);
}

TEST(SmfReader, FormatOneMergesTwoTracksFirstTrackFirst)
{
    test::reset_engine_state();
    EXPECT_EQ(read_smf(fixture("format1.mid").c_str()), 2);
    EXPECT_EQ(describe_list(),
              describe_all({event(0, 0x90, 60, 100), event(0, 0x91, 67, 80), event(192, 0xE1, 0x00, 0x50),
                            event(384, 0x80, 60, 0), event(384, 0x81, 67, 0)}));
    EXPECT_EQ(conversion_settings.TIME_UNIT, 768);
    EXPECT_EQ(midi_event_list.channels_used, 2);
    EXPECT_EQ(midi_event_list.last_event_time, 384u);
    EXPECT_EQ(midi_event_list.duration_ms, 500u);
}

TEST(SmfReader, ParsingTableOnHandMadeTracks)
{
    const struct {
        const char* name;
        Bytes body;
        std::vector<MidiEvent> events;
    } cases[] = {
        {"bank select with running-status low byte is skipped whole",
         {0x00, 0xB0, 0x00, 0x05, 0x00, 0x20, 0x01, 0x00, 0x90, 0x3C, 0x40}, {event(0, 0x90, 60, 64)}},
        {"other controllers are skipped, expression kept",
         {0x00, 0xB3, 0x07, 0x64, 0x05, 0xB3, 0x0B, 0x20}, {event(5, 0xB3, 11, 32)}},
        {"bank select without the low byte skips three",
         {0x00, 0xB0, 0x00, 0x05, 0x10, 0x90, 0x3C, 0x40}, {event(16, 0x90, 60, 64)}},
        {"meta and system exclusive are skipped by their length byte",
         {0x00, 0xFF, 0x01, 0x02, 0x61, 0x62, 0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, 0x01, 0xE2, 0x00, 0x40},
         {event(1, 0xE2, 0, 0x40)}},
        {"aftertouch ends the track", {0x00, 0x90, 0x3C, 0x40, 0x00, 0xA0, 0x3C, 0x10, 0x00, 0x80, 0x3C, 0x00},
         {event(0, 0x90, 60, 64)}},
        {"channel pressure ends the track", {0x00, 0xD0, 0x10, 0x00, 0x90, 0x3C, 0x40}, {}},
        {"four-byte delta", {0x81, 0x80, 0x80, 0x00, 0x90, 0x3C, 0x40}, {event(1 << 21, 0x90, 60, 64)}},
        {"a delta running past the end stops", {0x00, 0x90, 0x3C, 0x40, 0x83}, {event(0, 0x90, 60, 64)}},
        {"a message cut by the end stops", {0x00, 0x90, 0x3C, 0x40, 0x00, 0x80, 0x3C}, {event(0, 0x90, 60, 64)}},
        {"a meta length past the end stops", {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x01, 0x7F, 0x61},
         {event(0, 0x90, 60, 64)}},
        {"a missing meta length byte stops", {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x01}, {event(0, 0x90, 60, 64)}},
        {"times stop at the largest event time",
         {0xFF, 0xFF, 0xFF, 0x7F, 0x90, 1, 1, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 2, 2, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 3, 3,
          0xFF, 0xFF, 0xFF, 0x7F, 0x90, 4, 4, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 5, 5, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 6, 6,
          0xFF, 0xFF, 0xFF, 0x7F, 0x90, 7, 7, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 8, 8, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 9, 9},
         {event(0x0FFFFFFF, 0x90, 1, 1), event(0x1FFFFFFE, 0x90, 2, 2), event(0x2FFFFFFD, 0x90, 3, 3),
          event(0x3FFFFFFC, 0x90, 4, 4), event(0x4FFFFFFB, 0x90, 5, 5), event(0x5FFFFFFA, 0x90, 6, 6),
          event(0x6FFFFFF9, 0x90, 7, 7), event(0x7FFFFFF8, 0x90, 8, 8), event(INT32_MAX, 0x90, 9, 9)}},
    };
    for (const auto& c : cases) {
        test::reset_engine_state();
        test::TempDir dir;
        EXPECT_GE(read_smf_bytes(dir, format0_file(track_with_tempo(c.body))), 0) << c.name;
        EXPECT_EQ(describe_list(), describe_all(c.events)) << c.name;
    }
}

TEST(SmfReader, TempoRules)
{
    const struct {
        const char* name;
        Bytes track;
        int32_t time_unit;
        int32_t events;
    } cases[] = {
        {"tempo 0 gives the built-in resolution", track_with_tempo({0x00, 0x90, 0x3C, 0x40}, 0), 1536, 1},
        {"largest tempo", track_with_tempo({0x00, 0x90, 0x3C, 0x40}, 0xFFFFFF), 22, 1},
        {"tempo 1", track_with_tempo({}, 1), 384000000, 0},
        // Without a tempo event the first three bytes stand for it (0x00903C = 36924 us),
        // and the events are read from the start.
        {"no tempo event", {0x00, 0x90, 0x3C, 0x40, 0x10, 0x80, 0x3C, 0x00}, 10399, 2},
        {"no tempo event, zero bytes", {0x00, 0x00, 0x00, 0x00, 0x90, 0x3C, 0x40}, 1536, 0},
        // A tempo event at the very first byte is not looked for.
        {"tempo at position 0", {0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, 0x00, 0x90, 0x3C, 0x40}, 5875, 1},
        {"tempo cut by the end", {0x00, 0xFF, 0x03, 0x00, 0x00, 0xFF, 0x51, 0x03, 0x03}, 1536, 0},
    };
    for (const auto& c : cases) {
        test::reset_engine_state();
        test::TempDir dir;
        EXPECT_GE(read_smf_bytes(dir, format0_file(c.track)), 0) << c.name;
        EXPECT_EQ(conversion_settings.TIME_UNIT, c.time_unit) << c.name;
        EXPECT_EQ(midi_event_list.event_count, c.events) << c.name;
    }
}

TEST(SmfReader, FailuresLeaveAnEmptyList)
{
    const Bytes good = test::read_bytes(fixture("format1.mid"));
    ASSERT_EQ(good.size(), 120u);
    Bytes second_track_empty = good;
    second_track_empty.at(good.size() - 42 + 4 + 3) = 0;  // the last track's length byte 0x22
    Bytes first_track_negative = good;
    first_track_negative.at(14 + 8 + 19 + 4) = 0x80;
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty file", {}},
        {"shorter than the headers", Bytes(good.begin(), good.begin() + 21)},
        {"track length 0", format0_file({0x00, 0x90, 0x3C, 0x40}, 0)},
        {"negative track length", format0_file({0x00, 0x90, 0x3C, 0x40}, 0x80000000LL)},
        {"format 1 without its conductor", Bytes(good.begin(), good.begin() + 40)},
        {"format 1 without the second track header", Bytes(good.begin(), good.begin() + 41 + 8 + 29 + 7)},
        {"format 1 second track of length 0", second_track_empty},
        {"format 1 first track of negative length", first_track_negative},
    };
    ASSERT_EQ(good.at(good.size() - 42 + 7), 0x22);
    for (const auto& c : cases) {
        test::reset_engine_state();
        test::TempDir dir;
        load_events({event(0, 0x90, 60, 90), event(10, 0x80, 60, 0)}, 4);
        midi_event_list.last_event_time = 10;
        conversion_settings.TIME_UNIT = 999;
        EXPECT_EQ(read_smf_bytes(dir, c.bytes), -1) << c.name;
        EXPECT_EQ(midi_event_list.event_count, 0) << c.name;
        EXPECT_EQ(midi_event_list.channels_used, 1) << c.name;
        EXPECT_EQ(midi_event_list.last_event_time, 0u) << c.name;
        EXPECT_EQ(conversion_settings.TIME_UNIT, 999) << c.name;  // a failed read keeps the resolution
    }
}

TEST(SmfReader, AMissingFileChangesNothing)
{
    test::reset_engine_state();
    test::TempDir dir;
    load_events({event(0, 0x90, 60, 90), event(10, 0x80, 60, 0)});
    midi_event_list.source_name = "before";
    EXPECT_EQ(read_smf(dir.file("missing.mid").c_str()), -1);
    EXPECT_EQ(read_smf(dir.path().string().c_str()), -1);  // a directory
    EXPECT_EQ(midi_event_list.event_count, 2);
    EXPECT_EQ(midi_event_list.source_name, "before");
}

TEST(SmfReader, AbsurdLengthsReadWhatIsThere)
{
    test::reset_engine_state();
    test::TempDir dir;
    const Bytes track = track_with_tempo({0x00, 0x90, 0x3C, 0x40, 0x10, 0x80, 0x3C, 0x00});
    EXPECT_EQ(read_smf_bytes(dir, format0_file(track, 0x7FFFFFFF)), 1);
    EXPECT_EQ(midi_event_list.event_count, 2);
    EXPECT_LE(midi_event_list.events.size(), track.size());  // not sized by the header

    Bytes format1 = test::read_bytes(fixture("format1.mid"));
    format1.at(format1.size() - 42 + 4) = 0x7F;  // the second track claims 2 GB
    EXPECT_EQ(read_smf_bytes(dir, format1), 2);
    EXPECT_EQ(midi_event_list.event_count, 5);
}
