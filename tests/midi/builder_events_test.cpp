#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "analysis/note_segments.h"
#include "core/messages.h"
#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/note_event_builder.h"
#include "support/midi_events.h"
#include "support/test_support.h"

namespace {

std::vector<std::string> shown_messages;

void capture_message(const char* caption, const char* text)
{
    shown_messages.push_back(std::string(caption) + "|" + text);
}

class Builder : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reset_engine_state();
        note_segment_list = NoteSegmentList{};
        pitch_point_list = PitchPointList{};
        shown_messages.clear();
        message_hook = capture_message;
    }
    void TearDown() override { message_hook = nullptr; }
};

int16_t fine(int note, int step) { return static_cast<int16_t>(note * 24 + step); }

void add_segment(int32_t start, int32_t length, int note, int velocity = 100, int step = 12)
{
    note_segment_list.segments.push_back({start, length, fine(note, step), static_cast<int16_t>(velocity)});
    note_segment_list.count = static_cast<int32_t>(note_segment_list.segments.size());
}

void add_point(int32_t time, int16_t fine_pitch, int velocity, int32_t segment)
{
    pitch_point_list.points.push_back({time, fine_pitch, static_cast<int16_t>(velocity), segment});
    pitch_point_list.count = static_cast<int32_t>(pitch_point_list.points.size());
}

struct Segment {
    int32_t start;
    int32_t length;
    int note;
};

struct OrderCase {
    const char* name;
    std::vector<Segment> segments;
    std::vector<std::string> expected;
};

TEST_F(Builder, NoteOffsFollowPendingOrderOnChannelZero)
{
    const std::vector<OrderCase> cases = {
        {"overlapping", {{0, 100, 60}, {50, 100, 62}},
         {"90 60 100 @0 t0", "90 62 100 @50 t0", "80 60 0 @100 t0", "80 62 0 @150 t0"}},
        {"disjoint", {{0, 40, 60}, {50, 100, 62}},
         {"90 60 100 @0 t0", "80 60 0 @40 t0", "90 62 100 @50 t0", "80 62 0 @150 t0"}},
        {"start at pending end", {{0, 50, 60}, {50, 10, 62}},
         {"90 60 100 @0 t0", "80 60 0 @50 t0", "90 62 100 @50 t0", "80 62 0 @60 t0"}},
        {"released in start order", {{0, 100, 60}, {10, 40, 62}, {120, 10, 64}},
         {"90 60 100 @0 t0", "90 62 100 @10 t0", "80 60 0 @100 t0", "80 62 0 @50 t0", "90 64 100 @120 t0",
          "80 64 0 @130 t0"}},
        {"flush in start order", {{0, 100, 60}, {10, 40, 62}},
         {"90 60 100 @0 t0", "90 62 100 @10 t0", "80 60 0 @100 t0", "80 62 0 @50 t0"}},
    };
    for (const OrderCase& c : cases) {
        SetUp();
        for (const Segment& s : c.segments)
            add_segment(s.start, s.length, s.note);
        const int32_t last = build_note_events();
        EXPECT_EQ(test::describe_list(), c.expected) << c.name;
        EXPECT_EQ(last, midi_event_list.events[static_cast<size_t>(midi_event_list.event_count) - 1].time) << c.name;
        EXPECT_EQ(midi_event_list.channels_used, 1) << c.name;
    }
}

TEST_F(Builder, FineNoteAllocatesChannelsUpToMaxHarmonySkippingNine)
{
    struct Case {
        int32_t max_harmony;
        int notes;
        std::vector<int> channels;
        int32_t channels_used;
    };
    const std::vector<Case> cases = {
        {3, 5, {0, 1, 2, 3, 0}, 4},
        {15, 16, {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 0}, 16},
        {32, 16, {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 0}, 16},
        {0, 2, {0, 0}, 1},
        {-5, 2, {0, 0}, 1},
    };
    for (const Case& c : cases) {
        SetUp();
        conversion_settings.FINE_NOTE = 1;
        conversion_settings.MAX_HARMONY = c.max_harmony;
        for (int i = 0; i < c.notes; ++i)
            add_segment(i, 1000, 40 + i);
        build_note_events();
        std::vector<int> channels;
        for (const MidiEvent& e : test::list_events()) {
            if (is_note_on(e)) {
                channels.push_back(event_channel(e));
                EXPECT_EQ(e.tag, event_channel(e));
            }
        }
        EXPECT_EQ(channels, c.channels) << "MAX_HARMONY " << c.max_harmony;
        EXPECT_EQ(midi_event_list.channels_used, c.channels_used) << "MAX_HARMONY " << c.max_harmony;
    }
}

TEST_F(Builder, ReleasedChannelIsReused)
{
    conversion_settings.FINE_NOTE = 1;
    add_segment(0, 100, 60);
    add_segment(10, 200, 62);
    add_segment(150, 10, 64);  // note 60 has ended: channel 0 is free again
    build_note_events();
    EXPECT_EQ(test::describe_list(),
              (std::vector<std::string>{"90 60 100 @0 t0", "91 62 100 @10 t1", "80 60 0 @100 t0", "90 64 100 @150 t0",
                                        "81 62 0 @210 t1", "80 64 0 @160 t0"}));
}

TEST_F(Builder, FullPendingBufferSendsOldestOffOnceWithOneMessage)
{
    for (int i = 0; i < 129; ++i)
        add_segment(i, 10000 + i, i % 128);
    build_note_events();
    ASSERT_EQ(midi_event_list.event_count, 258);
    const auto events = test::describe_list();
    EXPECT_EQ(events[127], "90 127 100 @127 t0");
    EXPECT_EQ(events[128], "80 0 0 @10000 t0");   // the 128th note pushes the first one out
    EXPECT_EQ(events[129], "90 0 100 @128 t0");
    EXPECT_EQ(events[130], "80 1 0 @10002 t0");   // and the 129th the second
    EXPECT_EQ(events[131], "80 2 0 @10004 t0");   // the flush keeps start order
    EXPECT_EQ(events[257], "80 0 0 @10256 t0");
    ASSERT_EQ(shown_messages.size(), 1u);
    EXPECT_EQ(shown_messages[0], "MIDI出力ファイルエラー|MIDIノートオフ・バッファサイズを超えました。");

    // A new build reports again; 127 pending notes never do.
    for (int i = 0; i < 128; ++i)
        add_segment(i, 10000, i);
    build_note_events();
    EXPECT_EQ(shown_messages.size(), 2u);
    for (int i = 0; i < 127; ++i)
        add_segment(i, 10000, i);
    build_note_events();
    EXPECT_EQ(shown_messages.size(), 2u);
}

TEST_F(Builder, PitchPointsGiveBendAndExpression)
{
    struct Case {
        int step;            // fine step of the point relative to the segment's note
        int point_velocity;
        int segment_velocity;
        int bend;
        int expression;
    };
    const std::vector<Case> cases = {
        {12, 100, 100, 8192, 127},
        {23, 90, 100, 8192 + 11 * 4096 / 24, 117},
        {0, 100, 100, 8192 - 2048, 127},
        {1, 100, 100, 8192 - 1877, 127},      // -11 * 4096 / 24 truncates toward zero
        {12 + 200, 100, 100, 16383, 127},     // bends beyond two semitones are clamped
        {12 - 200, 100, 100, 0, 127},
        {12, 127, 10, 8192, 127},             // 244 clamps to 127
        {12, 0, 127, 8192, 1},                // 0 clamps to 1
        {12, -50, 100, 8192, 1},
        {12, 1, 127, 8192, 1},
        {12, 2, 127, 8192, 2},
    };
    for (const Case& c : cases) {
        SetUp();
        conversion_settings.FINE_NOTE = 1;
        add_segment(0, 100, 60, c.segment_velocity);
        add_point(10, static_cast<int16_t>(60 * 24 + c.step), c.point_velocity, 0);
        build_note_events();
        const int data2 = std::clamp(c.segment_velocity, 1, 127);
        const std::vector<std::string> expected = {
            "90 60 " + std::to_string(data2) + " @0 t0",
            "E0 " + std::to_string(c.bend % 128) + " " + std::to_string(c.bend / 128) + " @10 t0",
            "B0 11 " + std::to_string(c.expression) + " @10 t0",
            "80 60 0 @100 t0",
        };
        EXPECT_EQ(test::describe_list(), expected) << "step " << c.step << " velocity " << c.point_velocity;
    }
}

TEST_F(Builder, OneBendPairPerChannelAndNoteOff)
{
    conversion_settings.FINE_NOTE = 1;
    add_segment(0, 100, 60);
    add_segment(5, 300, 64);
    add_point(10, fine(60, 13), 100, 0);
    add_point(20, fine(64, 11), 100, 1);
    add_point(30, fine(60, 14), 100, 0);  // channel 0 already bent in this emission: skipped
    add_point(150, fine(64, 12), 100, 1); // consumed by the later note-off
    add_point(400, fine(64, 12), 100, 1); // after every note-off: never consumed
    build_note_events();
    EXPECT_EQ(test::describe_list(),
              (std::vector<std::string>{"90 60 100 @0 t0", "91 64 100 @5 t1", "E0 42 65 @10 t0", "B0 11 127 @10 t0",
                                        "E1 86 62 @20 t0", "B1 11 127 @20 t0", "80 60 0 @100 t0", "E1 0 64 @150 t0",
                                        "B1 11 127 @150 t0", "81 64 0 @305 t1"}));
    EXPECT_EQ(pitch_point_list.count, 0);
    EXPECT_TRUE(pitch_point_list.points.empty());
    EXPECT_EQ(note_segment_list.count, 0);
    EXPECT_TRUE(note_segment_list.segments.empty());
}

TEST_F(Builder, PointsAreIgnoredWithoutFineNote)
{
    add_segment(0, 100, 60);
    add_point(10, fine(60, 0), 100, 0);
    build_note_events();
    EXPECT_EQ(test::describe_list(), (std::vector<std::string>{"90 60 100 @0 t0", "80 60 0 @100 t0"}));
    EXPECT_EQ(midi_event_list.events.size(), 2u);
}

TEST_F(Builder, MalformedSegmentsAndPointsAreSkipped)
{
    conversion_settings.FINE_NOTE = 1;
    add_segment(0, 100, 60);
    note_segment_list.segments.push_back({10, 50, 128 * 24, 100});  // note 128: no MIDI note
    note_segment_list.segments.push_back({20, 50, -24, 100});       // marked deleted
    note_segment_list.segments.push_back({30, 10, 60 * 24, 300});   // velocity beyond a data byte
    note_segment_list.count = 4;
    add_point(1, fine(60, 0), 100, -1);
    add_point(2, fine(60, 0), 100, 4);
    add_point(3, fine(60, 0), 100, 1);
    add_point(4, fine(60, 0), 100, 2);
    const int32_t last = build_note_events();
    EXPECT_EQ(test::describe_list(),
              (std::vector<std::string>{"90 60 100 @0 t0", "91 60 127 @30 t1", "80 60 0 @100 t0", "81 60 0 @40 t1"}));
    EXPECT_EQ(last, 40);
}

TEST_F(Builder, CountsBeyondTheStoredEntriesAreNotRead)
{
    add_segment(0, 10, 60);
    note_segment_list.count = 50;
    conversion_settings.FINE_NOTE = 1;
    add_point(5, fine(60, 12), 100, 0);
    pitch_point_list.count = 9;
    build_note_events();
    EXPECT_EQ(midi_event_list.event_count, 4);
    EXPECT_EQ(midi_event_list.events.size(), 4u);
}

TEST_F(Builder, LongNoteEndsAtTheLargestTickInsteadOfWrapping)
{
    add_segment(2'000'000'000, 2'000'000'000, 60);
    EXPECT_EQ(build_note_events(), 2147483647);
}

TEST_F(Builder, EmptySegmentListGivesEmptyEventList)
{
    midi_event_list.event_count = 1;
    midi_event_list.events.resize(1);
    EXPECT_EQ(build_note_events(), 0);
    EXPECT_EQ(midi_event_list.event_count, 0);
}

// Random segments and points never need more room than allocated, never use channel 9 or
// a channel above 15, and every note-on has its note-off.
TEST_F(Builder, RandomInputStaysWithinCapacity)
{
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        SetUp();
        conversion_settings.FINE_NOTE = 1;
        conversion_settings.MAX_HARMONY = static_cast<int32_t>(random() % 20);
        const int segments = 1 + static_cast<int>(random() % 300);
        int32_t time = 0;
        for (int i = 0; i < segments; ++i) {
            time += static_cast<int32_t>(random() % 20);
            add_segment(time, static_cast<int32_t>(random() % 400), static_cast<int>(random() % 128), 1 + random() % 127,
                        static_cast<int>(random() % 24));
        }
        const int points = static_cast<int>(random() % 1000);
        int32_t point_time = 0;
        for (int i = 0; i < points; ++i) {
            point_time += static_cast<int32_t>(random() % 10);
            const int32_t segment = static_cast<int32_t>(random() % (segments + 2)) - 1;
            add_point(point_time, static_cast<int16_t>(random() % 3100), static_cast<int>(random() % 140), segment);
        }
        const size_t capacity = 2u * static_cast<size_t>(segments + points);
        build_note_events();
        EXPECT_EQ(midi_event_list.events.size(), capacity);
        int ons = 0;
        int offs = 0;
        for (const MidiEvent& e : test::list_events()) {
            EXPECT_NE(event_channel(e), 9);
            EXPECT_LE(e.data1, 127);
            EXPECT_LE(e.data2, 127);
            ons += is_note_on(e) ? 1 : 0;
            offs += is_note_off(e) ? 1 : 0;
        }
        EXPECT_EQ(ons, segments);
        EXPECT_EQ(offs, segments);
        EXPECT_LE(midi_event_list.channels_used, 16);
    }
}

} // namespace
