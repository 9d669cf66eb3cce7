#include <gtest/gtest.h>

#include <vector>

#include "midi/event_statistics.h"
#include "midi/midi_event_list.h"
#include "support/midi_events.h"
#include "support/test_support.h"

namespace {

// An event of note 60 at velocity 100 unless told otherwise.
MidiEvent event(int32_t time, int status, int data1 = 60, int data2 = 100)
{
    return test::event(time, status, data1, data2);
}

// A fresh engine whose list holds exactly these events.
void set_list(const std::vector<MidiEvent>& events)
{
    test::reset_engine_state();
    test::load_events(events);
}

// Events of one kind at the given times.
std::vector<MidiEvent> controls_at(const std::vector<int32_t>& times)
{
    std::vector<MidiEvent> events;
    for (int32_t t : times)
        events.push_back(event(t, 0xB0, 11));
    return events;
}

TEST(Statistics, Polyphony)
{
    struct Case {
        const char* name;
        std::vector<MidiEvent> events;
        int32_t expected;
    };
    const std::vector<Case> cases = {
        {"empty", {}, 0},
        {"overlapping", {event(0, 0x90), event(50, 0x91, 62), event(100, 0x80), event(150, 0x81, 62)}, 2},
        {"touching", {event(0, 0x90), event(100, 0x80), event(100, 0x90, 62), event(200, 0x80, 62)}, 1},
        {"all at time 0", {event(0, 0x90), event(0, 0x90, 62), event(0, 0x80), event(0, 0x80, 62)}, 0},
        {"state after the last event is not sampled", {event(0, 0x90), event(10, 0x90, 62), event(10, 0x90, 64)}, 1},
        {"controllers and velocity 0", {event(0, 0x90, 60, 0), event(5, 0xE0), event(5, 0xB0, 11), event(9, 0x80)}, 1},
        {"out of order times", {event(100, 0x90), event(50, 0x90, 62), event(60, 0x80), event(70, 0x80, 62)}, 2},
    };
    for (const Case& c : cases) {
        set_list(c.events);
        EXPECT_EQ(count_polyphony(), c.expected) << c.name;
    }
}

TEST(Statistics, PeakCodeRate)
{
    struct Case {
        const char* name;
        std::vector<int32_t> times;
        int32_t expected;
    };
    std::vector<int32_t> dense(600, 0);
    dense.back() = 999;
    const std::vector<Case> cases = {
        {"empty", {}, 0},
        {"all at time 0", {0, 0, 0, 0}, 0},
        {"one event", {500}, 0},
        {"600 events in 999 ticks", dense, 24024},              // 600 x 40000 / 999
        {"one short window", {0, 100, 500}, 240},               // 3 x 40000 / 500
        {"one long window", {0, 1500}, 53},                     // 2 x 40000 / 1500
        {"event at the window end belongs to it", {0, 1000, 1001, 2999}, 80},
        {"lone event joins the next window", {0, 1500, 1600, 2500, 3000}, 120},
        {"final event belongs to the window that reaches it", {0, 500, 2500}, 120},
        {"final event far beyond the window", {0, 10, 5000}, 120},
        {"final window of 1999 ticks", {0, 1001, 1500, 2999}, 80},  // 4 x 40000 / 1999
        {"negative time read as unsigned", {0, 10, -1}, 120},
    };
    for (const Case& c : cases) {
        set_list(controls_at(c.times));
        EXPECT_EQ(measure_peak_code_rate(), c.expected) << c.name;
    }
}

TEST(Statistics, PeakCodeRateKeepsToTheLargestValue)
{
    set_list(controls_at(std::vector<int32_t>(60000, 1)));
    EXPECT_EQ(measure_peak_code_rate(), 2147483647);
}

TEST(Statistics, CountBeyondTheArrayIsNotRead)
{
    set_list({event(0, 0x90), event(50, 0x91, 62), event(100, 0x80)});
    midi_event_list.event_count = 10;
    EXPECT_EQ(count_polyphony(), 2);
    EXPECT_EQ(measure_peak_code_rate(), 1200);  // 3 x 40000 / 100
}

} // namespace
