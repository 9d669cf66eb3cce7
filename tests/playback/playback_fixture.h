// A player wired to the recording output and a simulated clock: the timer's calls and the
// stop pause go into the same log as the MIDI messages, and the tests call player_tick.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/midi_player.h"
#include "playback/playback_timer.h"
#include "playback/recording_midi_output.h"
#include "support/midi_events.h"
#include "support/test_support.h"

namespace test {

class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_engine_state();
        reset_midi_player();
        reset_midi_recording();
        set_midi_backends({recording_midi_backend()});
        playback_timer = {
            [](uint32_t period, void (*)()) {
                midi_recording.log.push_back("timer start " + std::to_string(period));
                return true;
            },
            [] { midi_recording.log.push_back("timer stop"); },
            [](uint32_t ms) { midi_recording.log.push_back("wait " + std::to_string(ms)); },
        };
    }

    void TearDown() override
    {
        reset_midi_player();
        reset_playback_timer();
        set_midi_backends({});
    }

    // The log lines from index `from` on.
    static std::vector<std::string> log_since(size_t from)
    {
        const auto& log = midi_recording.log;
        return {log.begin() + static_cast<std::ptrdiff_t>(std::min(from, log.size())), log.end()};
    }

    // Runs ticks until the player marks the end (at most limit); for every log line sent by
    // a tick, the 0-based number of that tick.
    static std::vector<std::pair<int, std::string>> run_to_end(int limit = 100000)
    {
        std::vector<std::pair<int, std::string>> sent;
        for (int tick = 0; tick < limit && !midi_player.end_reached.load(); ++tick) {
            const size_t before = midi_recording.log.size();
            player_tick();
            for (const std::string& line : log_since(before))
                sent.emplace_back(tick, line);
        }
        return sent;
    }
};

} // namespace test
