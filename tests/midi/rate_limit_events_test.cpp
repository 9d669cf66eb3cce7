#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/rate_limit.h"
#include "support/midi_events.h"
#include "support/test_support.h"

using test::describe_all;
using test::describe_list;
using test::event;
using test::load_events;

namespace {

class RateLimit : public ::testing::Test {
protected:
    void SetUp() override { test::reset_engine_state(); }
};

TEST_F(RateLimit, ThreeHundredNotesInOneShortWindowKeep224Events)
{
    std::vector<MidiEvent> events;
    for (int i = 0; i < 300; ++i)
        events.push_back(event(0, 0x90 + i / 128, i % 128, 64));
    for (int i = 0; i < 300; ++i)  // durations 700..998, the last one 999: T = 999
        events.push_back(event(i == 299 ? 999 : 700 + i, 0x80 + i / 128, i % 128, 0));
    load_events(events);
    EXPECT_EQ(limit_event_rate(), 224);
    EXPECT_EQ(midi_event_list.event_count, 224);
    // The 188 lightest notes (0..187) are gone, the rest keep their order.
    std::vector<MidiEvent> expected(events.begin() + 188, events.begin() + 300);
    expected.insert(expected.end(), events.begin() + 300 + 188, events.end());
    EXPECT_EQ(describe_list(), describe_all(expected));
}

// Three notes of equal duration with the given velocities (weights), a closing controller
// at tick 1000, and a budget of 5 events: exactly one note goes. The exchange sort leaves
// equal weights in an order no stable sort gives: [1,1,2] sorts to 2, second 1, first 1.
TEST_F(RateLimit, EqualWeightsFollowTheExchangeSortOrder)
{
    struct Case {
        std::vector<int> velocities;
        int removed;  // index of the removed note
    };
    const std::vector<Case> cases = {
        {{1, 1, 2}, 0}, {{1, 1, 1}, 2}, {{2, 1, 1}, 2}, {{1, 2, 1}, 2}, {{2, 2, 1}, 2}, {{3, 1, 1}, 2},
        {{1, 1, 3}, 0},
    };
    for (const Case& c : cases) {
        SetUp();
        conversion_settings.BIT_RATE = 200;  // 200 x 1000 / 40000 = 5 events
        std::vector<MidiEvent> events;
        for (int i = 0; i < 3; ++i)
            events.push_back(event(0, 0x90, 60 + i, c.velocities[static_cast<size_t>(i)]));
        for (int i = 0; i < 3; ++i)
            events.push_back(event(10, 0x80, 60 + i, 0));
        events.push_back(event(1000, 0xB0, 11, 100));
        load_events(events);
        EXPECT_EQ(limit_event_rate(), 5);
        std::vector<std::string> remaining;
        for (const std::string& s : describe_list())
            remaining.push_back(s.substr(0, 5));
        const std::string gone = "90 " + std::to_string(60 + c.removed);
        EXPECT_EQ(std::count(remaining.begin(), remaining.end(), gone), 0)
            << "velocities " << c.velocities[0] << c.velocities[1] << c.velocities[2];
    }
}

TEST_F(RateLimit, WindowsFollowListOrder)
{
    struct Case {
        const char* name;
        int32_t bit_rate;
        std::vector<MidiEvent> events;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        // T = 50: the window ends at off(A) at 100, so only the two note-ons count
        // against a budget of 1; removing B (its note-off lies after the window) is enough.
        {"window ends at the first later event", 800,
         {event(0, 0x90, 60, 100), event(10, 0x90, 62, 1), event(100, 0x80, 60, 0), event(50, 0x80, 62, 0)},
         {"90 60 100 @0 t0", "80 60 0 @100 t0"}},
        // Window 0 would hold only on(A): it joins window 1, whose 5 events exceed 4.
        {"lone event joins the next window", 160,
         {event(0, 0x90, 60, 10), event(1500, 0x80, 60, 0), event(1600, 0x90, 62, 100), event(1700, 0x80, 62, 0),
          event(2000, 0xB0, 11, 0)},
         {"90 60 10 @0 t0", "80 60 0 @1500 t0", "B0 11 0 @2000 t0"}},
        // Windows of 1000 ticks hold 4 events each against a budget of 3 at 120 bps; the
        // final one (1000..2999) holds 4 against 5 and keeps them.
        {"each window has its own budget", 120,
         {event(0, 0x90, 60, 100), event(10, 0x90, 61, 1), event(20, 0x80, 61, 0), event(900, 0x80, 60, 0),
          event(1100, 0x90, 62, 1), event(1110, 0x80, 62, 0), event(1120, 0x90, 63, 1), event(2999, 0x80, 63, 0)},
         {"90 60 100 @0 t0", "80 60 0 @900 t0", "90 62 1 @1100 t0", "80 62 0 @1110 t0", "90 63 1 @1120 t0",
          "80 63 0 @2999 t0"}},
    };
    for (const Case& c : cases) {
        SetUp();
        conversion_settings.BIT_RATE = c.bit_rate;
        load_events(c.events);
        limit_event_rate();
        EXPECT_EQ(describe_list(), c.expected) << c.name;
    }
}

std::vector<int32_t> literal_exchange_sort(const std::vector<int64_t>& weights)
{
    std::vector<int32_t> order(weights.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int32_t>(i);
    for (size_t a = 0; a < order.size(); ++a)
        for (size_t b = a + 1; b < order.size(); ++b)
            if (weights[static_cast<size_t>(order[b])] > weights[static_cast<size_t>(order[a])])
                std::swap(order[a], order[b]);
    return order;
}

TEST(ExchangeSortOrder, MatchesTheLiteralExchangeSort)
{
    EXPECT_EQ(exchange_sort_order(std::vector<int64_t>{1, 1, 2}), (std::vector<int32_t>{2, 1, 0}));
    EXPECT_EQ(exchange_sort_order(std::vector<int64_t>{}), (std::vector<int32_t>{}));
    std::vector<std::vector<int64_t>> shaped(4);
    for (int64_t i = 0; i < 300; ++i) {
        shaped[0].push_back(i);                   // ascending
        shaped[1].push_back(300 - i);             // descending
        shaped[2].push_back(7);                   // all equal
        shaped[3].push_back(i % 2 == 0 ? 5 : i);  // ties between rising weights
    }
    for (const auto& weights : shaped)
        EXPECT_EQ(exchange_sort_order(weights), literal_exchange_sort(weights));
    std::mt19937 random(3);
    for (int round = 0; round < 3000; ++round) {
        const size_t size = 1 + random() % 80;
        const auto distinct = static_cast<int64_t>(1 + random() % (round % 3 == 0 ? 3 : 40));
        std::vector<int64_t> weights;
        for (size_t i = 0; i < size; ++i)
            weights.push_back(static_cast<int64_t>(random() % static_cast<uint64_t>(distinct)) * 1'000'000'007LL);
        ASSERT_EQ(exchange_sort_order(weights), literal_exchange_sort(weights)) << "round " << round;
    }
}

TEST_F(RateLimit, ManyChannelsRemoveTheNotesBendsAndControllers)
{
    const std::vector<MidiEvent> events = {
        event(0, 0x93, 60, 100, 3), event(10, 0xE3, 0, 70), event(10, 0xB3, 11, 90), event(10, 0xE4, 0, 60),
        event(500, 0x83, 60, 0, 3), event(600, 0xE3, 0, 64), event(1000, 0xB4, 11, 100),
    };
    struct Case {
        int32_t channels_used;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {3, {"E4 0 60 @10 t0", "E3 0 64 @600 t0", "B4 11 100 @1000 t0"}},
        {2, {"E3 0 70 @10 t0", "B3 11 90 @10 t0", "E4 0 60 @10 t0", "E3 0 64 @600 t0", "B4 11 100 @1000 t0"}},
    };
    for (const Case& c : cases) {
        SetUp();
        conversion_settings.BIT_RATE = 1;  // budget 0
        load_events(events);
        midi_event_list.channels_used = c.channels_used;
        limit_event_rate();
        EXPECT_EQ(describe_list(), c.expected) << "channels_used " << c.channels_used;
    }
}

TEST_F(RateLimit, NotesWithoutLaterNoteOffAreKept)
{
    conversion_settings.BIT_RATE = 0;
    load_events({event(0, 0x90, 60, 100), event(0, 0x80, 60, 0), event(5, 0x90, 61, 100), event(6, 0x90, 62, 100),
                 event(7, 0x81, 62, 0), event(8, 0x90, 63, 100), event(1000, 0x80, 63, 0)});
    limit_event_rate();
    EXPECT_EQ(describe_list(), (std::vector<std::string>{"90 60 100 @0 t0", "80 60 0 @0 t0", "90 61 100 @5 t0",
                                                         "90 62 100 @6 t0", "81 62 0 @7 t0"}));
}

TEST_F(RateLimit, ListsAtTimeZeroOrBeforeKeepTheirNotes)
{
    const std::vector<std::vector<MidiEvent>> lists = {
        {event(0, 0x90, 60, 100), event(0, 0x80, 60, 0), event(0, 0x90, 61, 100), event(0, 0x80, 61, 0)},
        {event(-5000, 0x90, 60, 100), event(-3000, 0x80, 60, 0), event(-1000, 0xB0, 11, 0)},
    };
    for (const auto& list : lists) {
        SetUp();
        conversion_settings.BIT_RATE = 0;
        load_events(list);
        EXPECT_EQ(limit_event_rate(), static_cast<int32_t>(list.size()));
    }
}

// Three note-ons share one note-off: more candidates than half the events. Each removal
// counts the shared note-off again, so the count reaches the budget one note early.
TEST_F(RateLimit, SharedNoteOffIsCountedWithEveryNote)
{
    conversion_settings.BIT_RATE = 0;
    load_events({event(0, 0x90, 60, 100), event(1, 0x90, 60, 90), event(2, 0x90, 60, 80), event(1000, 0x80, 60, 0)});
    EXPECT_EQ(limit_event_rate(), 1);
    EXPECT_EQ(describe_list(), (std::vector<std::string>{"90 60 100 @0 t0"}));
}

TEST_F(RateLimit, EmptyListStaysEmpty)
{
    load_events({});
    EXPECT_EQ(limit_event_rate(), 0);
}

// The rate limit as a plain transcription, with a linear note-off search, to check the
// indexed search and the window bookkeeping on random lists.
int32_t reference_limit(std::vector<MidiEvent>& ev, int32_t bit_rate, int32_t channels_used)
{
    const auto n = static_cast<int32_t>(ev.size());
    const int32_t t = ev.back().time;
    if (t / 1000 >= 0) {
        const int32_t windows = std::max(t / 1000, 1);
        int32_t j = 0;
        for (int32_t w = 0; w < windows; ++w) {
            const int32_t start = w * 1000;
            const int32_t end = w == windows - 1 ? t : start + 1000;
            int32_t k = j;
            while (k < n && (k == n - 1 || ev[static_cast<size_t>(k)].time <= end))
                ++k;
            if (k - j < 2)
                continue;
            const int32_t last = k - 1;
            int32_t count = 0;
            for (int32_t i = j; i <= last; ++i)
                count += ev[static_cast<size_t>(i)].status != 0;
            struct C {
                int32_t on, off;
                int64_t weight;
            };
            std::vector<C> cand;
            for (int32_t i = j; i <= last; ++i) {
                const MidiEvent& on = ev[static_cast<size_t>(i)];
                if ((on.status & 0xF0) != 0x90)
                    continue;
                for (int32_t m = i + 1; m < n; ++m) {
                    const MidiEvent& off = ev[static_cast<size_t>(m)];
                    if ((off.status & 0xF0) == 0x80 && (off.status & 0x0F) == (on.status & 0x0F) && off.data1 == on.data1) {
                        if (off.time > on.time)
                            cand.push_back({i, m, static_cast<int64_t>(off.time - on.time) * on.data2});
                        break;
                    }
                }
            }
            for (size_t a = 0; a < cand.size(); ++a)
                for (size_t b = a + 1; b < cand.size(); ++b)
                    if (cand[b].weight > cand[a].weight)
                        std::swap(cand[a], cand[b]);
            const auto budget = static_cast<int64_t>(static_cast<double>(bit_rate) * (end - start) / 40000.0);
            for (size_t r = cand.size(); r-- > 0 && count > budget;) {
                const C& c = cand[r];
                const int channel = ev[static_cast<size_t>(c.on)].status & 0x0F;
                if (channels_used > 2)
                    for (int32_t i = c.on + 1; i < c.off; ++i)
                        if (ev[static_cast<size_t>(i)].status >= 0xB0 && (ev[static_cast<size_t>(i)].status & 0x0F) == channel) {
                            ev[static_cast<size_t>(i)].status = 0;
                            count -= i <= last;
                        }
                ev[static_cast<size_t>(c.on)].status = 0;
                ev[static_cast<size_t>(c.off)].status = 0;
                count -= c.off <= last ? 2 : 1;
            }
            j = k;
        }
    }
    std::erase_if(ev, [](const MidiEvent& e) { return e.status == 0; });
    return static_cast<int32_t>(ev.size());
}

TEST_F(RateLimit, MatchesPlainTranscriptionOnRandomLists)
{
    std::mt19937 random(11);
    int thinned = 0;
    for (int round = 0; round < 300; ++round) {
        SetUp();
        std::vector<MidiEvent> events;
        const int size = 2 + static_cast<int>(random() % 400);
        const int spread = 1 + static_cast<int>(random() % 30);
        int32_t time = 0;
        for (int i = 0; i < size; ++i) {
            time += static_cast<int32_t>(random() % static_cast<unsigned>(spread));
            const int32_t jitter = random() % 8 == 0 ? -static_cast<int32_t>(random() % 300) : 0;
            const int kind = static_cast<int>(random() % 10);
            const int channel = static_cast<int>(random() % 4);
            const int status = kind < 4 ? 0x90 : kind < 8 ? 0x80 : kind < 9 ? 0xE0 : 0xB0;
            events.push_back(event(std::max(time + jitter, 0), status + channel, static_cast<int>(random() % 6),
                                   1 + static_cast<int>(random() % 3)));
        }
        const auto bit_rate = static_cast<int32_t>(random() % (round % 2 == 0 ? 2000 : 20000));
        const auto channels_used = 1 + static_cast<int32_t>(random() % 4);
        conversion_settings.BIT_RATE = bit_rate;
        load_events(events);
        midi_event_list.channels_used = channels_used;
        const int32_t count = limit_event_rate();
        const int32_t expected_count = reference_limit(events, bit_rate, channels_used);
        ASSERT_EQ(count, expected_count) << "round " << round;
        ASSERT_EQ(describe_list(), describe_all(events)) << "round " << round;
        thinned += count < size ? 1 : 0;
    }
    EXPECT_GT(thinned, 100);  // most rounds do remove notes
}

} // namespace
