#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/messages.h"
#include "core/settings.h"
#include "playback_fixture.h"

namespace {

using test::event;
using test::load_events;
using Sent = std::vector<std::pair<int, std::string>>;

std::vector<std::string> captured_messages;

void capture_message(const char* caption, const char* text)
{
    captured_messages.push_back(std::string(caption) + ": " + text);
}

// The tick (0-based; tick k sees elapsed k * 10 ms) that sent each note of the run.
std::vector<int> note_ticks(const Sent& sent)
{
    std::vector<int> ticks;
    for (const auto& [tick, line] : sent)
        if (line[0] == '9' || line[0] == '8')
            ticks.push_back(tick);
    return ticks;
}

class MidiPlayerTest : public test::PlaybackTest {};

// Every event is due LEAD_IN_MS after its own time in scaled time; TEMPO_PERCENT scales the
// clock (200 half speed, 50 double); 0 or less plays at the recorded speed; a TIME_UNIT of 0
// or less puts every event at the start instead of dividing by zero.
TEST_F(MidiPlayerTest, SendsEachEventAtTheFirstTickItsScaledDueTimeIsReached)
{
    struct Case { int32_t tempo, time_unit; std::vector<int> ticks; };
    const Case cases[] = {
        {100, 1536, {50, 150, 151}},
        {200, 1536, {100, 300, 301}},
        {50, 1536, {25, 75, 76}},
        {0, 1536, {50, 150, 151}},
        {-30, 1536, {50, 150, 151}},
        {100, 0, {50, 50, 50}},
        {100, -1536, {50, 50, 50}},
    };
    for (const Case& c : cases) {
        SetUp();
        // Notes at 0, 1 s and 1.0026 s (sent at most one period late, never early).
        load_events({event(0, 0x90, 60, 100), event(1536, 0x80, 60), event(1540, 0x90, 62, 90)});
        midi_output_settings.TEMPO_PERCENT = c.tempo;
        conversion_settings.TIME_UNIT = c.time_unit;
        start_midi_playback();
        EXPECT_EQ(note_ticks(run_to_end()), c.ticks) << "tempo " << c.tempo << " unit " << c.time_unit;
    }
}

// A time before 0 counts as 0; a time whose milliseconds pass 32 bits (46 minutes at 1536
// ticks per second) is still due at its own time, not early. More than 16 channels in use
// set up the 16 there are.
TEST_F(MidiPlayerTest, ExtremeTimesAndChannelCounts)
{
    load_events({event(-100, 0x90, 60, 100), event(4300000, 0x80, 60)}, 20);
    start_midi_playback();
    EXPECT_EQ(midi_recording.log.size(), 1u + 16 * 8 + 1);
    EXPECT_EQ(midi_recording.log[1 + 15 * 6], "BF 00 00");
    EXPECT_EQ(note_ticks(run_to_end(300000)), (std::vector<int>{50, 279998}));
}

TEST_F(MidiPlayerTest, TranspositionMovesNotesOnlyAndClampsThem)
{
    struct Case { int32_t transpose; MidiEvent e; uint32_t message; };
    const Case cases[] = {
        {12, event(0, 0x90, 120, 100), 0x647F90},
        {-12, event(0, 0x81, 5), 0x000081},
        {3, event(0, 0x9F, 60, 1), 0x013F9F},
        {INT32_MAX, event(0, 0x90, 1, 2), 0x027F90},
        {INT32_MIN, event(0, 0x80, 127, 0), 0x000080},
        {12, event(0, 0xB0, 11, 127), 0x7F0BB0},
        {12, event(0, 0xE0, 0, 64), 0x4000E0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(apply_transpose(c.e, c.transpose), c.message) << test::describe(c.e);
}

TEST_F(MidiPlayerTest, SetUpGoesToEveryChannelInUseBeforeTheResets)
{
    midi_output_settings = {0, 1, 2, 5, 100, 100, 0, 40, 50};
    const std::vector<std::string> one = {
        "open 0",
        "B0 00 01", "B0 20 02", "C0 04 00", "B0 07 64", "B0 5B 28", "B0 5D 32",
        "E0 00 40", "B0 0B 7F",
        "timer start 10",
    };
    load_events({event(0, 0x90, 60, 100)}, 1);
    start_midi_playback();
    EXPECT_EQ(midi_recording.log, one);

    SetUp();
    midi_output_settings = {0, 1, 2, 5, 100, 100, 0, 40, 50};
    load_events({event(0, 0x92, 60, 100)}, 3);
    start_midi_playback();
    std::vector<std::string> three = {"open 0"};
    for (const char* c : {"0", "1", "2"})
        for (const char* m : {"B%s 00 01", "B%s 20 02", "C%s 04 00", "B%s 07 64", "B%s 5B 28",
                              "B%s 5D 32"}) {
            std::string line = m;
            three.push_back(line.replace(1, 2, c));
        }
    for (const char* c : {"0", "1", "2"}) {
        three.push_back(std::string("E") + c + " 00 40");
        three.push_back(std::string("B") + c + " 0B 7F");
    }
    three.push_back("timer start 10");
    EXPECT_EQ(midi_recording.log, three);

    // Unchecked values typed into the dialog go out as their low byte (the ports keep 7 bits).
    SetUp();
    midi_output_settings = {0, 300, -1, INT32_MIN, 128, 100, 0, 0, 0};
    load_events({event(0, 0x90, 60, 100)});
    start_midi_playback();
    EXPECT_EQ(log_since(1).front(), "B0 00 2C");
    EXPECT_EQ(log_since(2).front(), "B0 20 FF");
    EXPECT_EQ(log_since(3).front(), "C0 FF 00");
    EXPECT_EQ(log_since(4).front(), "B0 07 80");
}

// After the last event the tick only marks the end; the UI thread's next poll runs the stop
// sequence once. A second stop does nothing, and a new start opens the device again.
TEST_F(MidiPlayerTest, TheEndIsStoppedOnceOnTheUiThreadAndARestartReopens)
{
    load_events({event(0, 0x90, 60, 100), event(10, 0x80, 60)});
    start_midi_playback();
    EXPECT_TRUE(midi_playback_running());
    run_to_end();
    ASSERT_TRUE(midi_player.end_reached.load());
    EXPECT_EQ(midi_player.player_state.load(), PLAYER_PLAYING);  // the tick did not stop itself

    const size_t before_stop = midi_recording.log.size();
    EXPECT_FALSE(midi_playback_running());
    std::vector<std::string> stop = {"wait 200", "timer stop"};
    for (const char* c : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C", "D",
                          "E", "F"})
        stop.push_back(std::string("B") + c + " 78 00");
    stop.push_back("reset");
    stop.push_back("close");
    EXPECT_EQ(log_since(before_stop), stop);

    const size_t after_stop = midi_recording.log.size();
    stop_midi_playback();
    EXPECT_FALSE(midi_playback_running());
    player_tick();
    EXPECT_EQ(midi_recording.log.size(), after_stop);

    start_midi_playback();
    EXPECT_EQ(log_since(after_stop).front(), "open 0");
    EXPECT_EQ(note_ticks(run_to_end()), (std::vector<int>{50, 51}));
}

TEST_F(MidiPlayerTest, AStopWhilePlayingSilencesAndLaterTicksSendNothing)
{
    load_events({event(0, 0x90, 60, 100), event(3072, 0x80, 60)});
    start_midi_playback();
    for (int tick = 0; tick < 60; ++tick)
        player_tick();
    stop_midi_playback();
    const size_t after_stop = midi_recording.log.size();
    EXPECT_EQ(midi_recording.log.back(), "close");
    for (int tick = 0; tick < 300; ++tick)
        player_tick();
    EXPECT_EQ(midi_recording.log.size(), after_stop);
    EXPECT_FALSE(midi_playback_running());
}

TEST_F(MidiPlayerTest, EventsOutOfTimeOrderGoOutInListOrder)
{
    load_events({event(1536, 0x90, 60, 100), event(768, 0x90, 64, 100), event(1536, 0x80, 60),
                 event(768, 0x80, 64)});
    start_midi_playback();
    const Sent sent = run_to_end();
    const Sent expected = {{150, "90 3C 64"}, {150, "90 40 64"}, {150, "80 3C 00"}, {150, "80 40 00"}};
    EXPECT_EQ(sent, expected);
}

// What the timer reads was copied at start: clearing the list, changing the transposition or
// the tempo while playing changes nothing until the next start.
TEST_F(MidiPlayerTest, ChangesOnTheUiThreadDoNotReachARunningPlayback)
{
    midi_output_settings.TRANSPOSE = 2;
    load_events({event(0, 0x90, 60, 100), event(1536, 0x80, 60)});
    start_midi_playback();
    clear_event_list();
    midi_output_settings.TRANSPOSE = 7;
    midi_output_settings.TEMPO_PERCENT = 50;
    conversion_settings.TIME_UNIT = 100;
    const Sent expected = {{50, "90 3E 64"}, {150, "80 3E 00"}};
    EXPECT_EQ(run_to_end(), expected);
}

TEST_F(MidiPlayerTest, ADeviceThatDoesNotOpenIsReportedAndNothingPlays)
{
    captured_messages.clear();
    message_hook = capture_message;
    midi_recording.open_fails = true;
    midi_output_settings.DEVICE = -1;
    load_events({event(0, 0x90, 60, 100)});
    start_midi_playback();
    message_hook = nullptr;

    EXPECT_FALSE(midi_playback_running());
    player_tick();
    EXPECT_TRUE(midi_recording.log.empty());
    ASSERT_EQ(captured_messages.size(), 1u);
    EXPECT_NE(captured_messages[0].find("MIDI再生: MIDI出力デバイス（デバイスＩＤ 4294967295）を開けません。"),
              std::string::npos)
        << captured_messages[0];
}

TEST_F(MidiPlayerTest, WithoutATimerTheDeviceIsGivenBackAtOnce)
{
    reset_playback_timer();
    playback_timer.wait_ms = [](uint32_t) {};
    load_events({event(0, 0x90, 60, 100)});
    start_midi_playback();
    EXPECT_FALSE(midi_playback_running());
    EXPECT_EQ(midi_recording.log.back(), "close");
}

TEST_F(MidiPlayerTest, AnEmptyListStartsNothing)
{
    start_midi_playback();
    EXPECT_FALSE(midi_playback_running());
    EXPECT_TRUE(midi_recording.log.empty());
    EXPECT_TRUE(midi_player.roll.take().empty());
}

int wakes = 0;

// The outline roll spans the whole data in ticks; the notes the ticks send follow in ms,
// untransposed, with the selected note highlighted; the end closes the roll. The UI is woken
// at start, by each tick that sent something or reached the end, and at stop.
TEST_F(MidiPlayerTest, TheRollIsHandedOverInDrawingOrder)
{
    wakes = 0;
    player_wake_hook = [] { ++wakes; };
    conversion_settings.TIME_UNIT = 500;
    midi_output_settings.TRANSPOSE = 5;
    load_events({event(0, 0x90, 60, 100), event(1000, 0x80, 60), event(1250, 0xB0, 11, 90)});
    midi_event_list.selected_on = 0;
    midi_event_list.selected_off = 1;
    start_midi_playback();
    run_to_end();
    midi_playback_running();
    player_wake_hook = nullptr;
    EXPECT_EQ(wakes, 5);

    struct Item { RollDrawKind kind; uint8_t data1; uint32_t position, span; bool highlight; };
    const Item expected[] = {
        {RollDrawKind::background, 0, 0, 1250, false},
        {RollDrawKind::ghost_event, 60, 0, 1250, true},
        {RollDrawKind::ghost_event, 60, 1000, 1250, true},
        {RollDrawKind::ghost_event, 11, 1250, 1250, false},
        {RollDrawKind::note_event, 60, 0, 2500, true},
        {RollDrawKind::note_event, 60, 2000, 2500, true},
        {RollDrawKind::note_event, 11, 2500, 2500, false},
        {RollDrawKind::end, 0, 0, 0, false},
    };
    const std::vector<RollDrawItem> items = midi_player.roll.take();
    ASSERT_EQ(items.size(), std::size(expected));
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].kind, expected[i].kind) << i;
        EXPECT_EQ(items[i].event.data1, expected[i].data1) << i;
        EXPECT_EQ(items[i].position, expected[i].position) << i;
        EXPECT_EQ(items[i].span, expected[i].span) << i;
        EXPECT_EQ(items[i].highlight, expected[i].highlight) << i;
    }
    EXPECT_EQ(midi_event_list.last_event_time, 1250u);
    EXPECT_EQ(midi_event_list.duration_ms, 2500u);
}

} // namespace
