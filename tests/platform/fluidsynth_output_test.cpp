#ifdef TONAGRAM_WITH_FLUIDSYNTH

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/settings.h"
#include "platform/fluidsynth_output.h"
#include "playback/midi_player.h"
#include "playback/playback_timer.h"
#include "support/midi_events.h"
#include "support/test_support.h"

namespace {

constexpr int SAMPLE_RATE = 44100;
constexpr int FRAMES_PER_TICK = SAMPLE_RATE / 100;  // one 10 ms timer period

FluidSynthOutput* synth = nullptr;

// The player's connection: every message goes to the test's synthesizer, which outlives the
// player's open and close and renders offline.
class ToSynth : public MidiConnection {
public:
    void send_short(uint32_t message) override { synth->send_short(message); }
    void send_sysex(std::span<const uint8_t> bytes) override { synth->send_sysex(bytes); }
    void reset() override { synth->reset(); }
};

MidiBackend offline_synth_backend()
{
    return {"offline", [] { return int32_t{1}; }, [](int32_t) { return std::string("synth"); },
            [](int32_t) -> std::unique_ptr<MidiConnection> { return std::make_unique<ToSynth>(); }};
}

// Plays the list through the player with a simulated clock, rendering one timer period of
// sound after every tick; returns the peak level of each period.
std::vector<int> play_and_render(int ticks)
{
    start_midi_playback();
    std::vector<int> peaks;
    std::vector<int16_t> block(2 * FRAMES_PER_TICK);
    for (int tick = 0; tick < ticks; ++tick) {
        player_tick();
        synth->render(block);
        int peak = 0;
        for (const int16_t s : block)
            peak = std::max(peak, std::abs(int{s}));
        peaks.push_back(peak);
    }
    stop_midi_playback();
    return peaks;
}

int loudest(const std::vector<int>& peaks, int from, int to)
{
    return *std::max_element(peaks.begin() + from, peaks.begin() + to);
}

// Two notes at 0 s and 1 s, each 0.3 s long: the synthesizer is silent through the lead-in
// and sounds from the period each note falls due, at the recorded, half and double speed.
TEST(FluidSynthOutput, SoundStartsAfterTheLeadInWhereTheNotesAre)
{
    const std::string soundfont = find_gm_soundfont();
    if (soundfont.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    struct Case { int32_t tempo; int first, second; };
    const Case cases[] = {{100, 50, 150}, {200, 100, 300}, {50, 25, 75}};
    for (const Case& c : cases) {
        test::reset_engine_state();
        reset_midi_player();
        const auto output = FluidSynthOutput::open(soundfont, false, SAMPLE_RATE);
        ASSERT_NE(output, nullptr);
        synth = output.get();
        set_midi_backends({offline_synth_backend()});
        playback_timer = {[](uint32_t, void (*)()) { return true; }, [] {}, [](uint32_t) {}};
        midi_output_settings.TEMPO_PERCENT = c.tempo;
        test::load_events({test::event(0, 0x90, 60, 110), test::event(461, 0x80, 60),
                           test::event(1536, 0x90, 72, 110), test::event(1997, 0x80, 72)});

        const std::vector<int> peaks = play_and_render(c.second + 40);
        EXPECT_LE(loudest(peaks, 0, c.first), 2) << "tempo " << c.tempo;  // dither only
        EXPECT_GT(peaks[c.first + 1], 500) << "tempo " << c.tempo;
        // The first note has faded before the second starts; the second is loud again.
        EXPECT_GT(loudest(peaks, c.second, c.second + 5), 4 * loudest(peaks, c.second - 5, c.second))
            << "tempo " << c.tempo;
        synth = nullptr;
    }
    reset_playback_timer();
    set_midi_backends({});
}

TEST(FluidSynthOutput, AMissingSoundFontDoesNotOpen)
{
    EXPECT_EQ(FluidSynthOutput::open("/nonexistent/none.sf2", false), nullptr);
    EXPECT_EQ(FluidSynthOutput::open("", false), nullptr);
}

} // namespace

#endif
