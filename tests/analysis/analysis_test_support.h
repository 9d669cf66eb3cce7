// Helpers of the analysis tests: settings for a small key range and the tables built from them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "analysis/sinusoid_tables.h"
#include "core/settings.h"
#include "support/test_support.h"

namespace analysis_test {

// Resets the engine and the tables and analyses key_min..key_max with frame_size samples.
inline void use_keys(int32_t key_min, int32_t key_max, int32_t frame_size = 4096)
{
    test::reset_engine_state();
    free_analysis_tables();
    conversion_settings.KEY_MIN = key_min;
    conversion_settings.KEY_MAX = key_max;
    conversion_settings.FFT_SIZE = frame_size;
}

inline void build_tables()
{
    build_pitch_grid();
    plan_sinusoid_windows();
    build_sinusoid_tables();
}

inline int32_t fine_index(int32_t midi_note, int32_t step)
{
    return FINE_STEPS * (midi_note - conversion_settings.KEY_MIN) + step;
}

// The first frame buffer, which single-frame tests work in.
inline FrameBuffer& frame_buffer()
{
    return analysis_tables.frames.at(0);
}

// Loads values (zeros after them) into the first frame buffer, with its exact peak.
inline void load_frame(std::span<const int32_t> values)
{
    FrameBuffer& frame = frame_buffer();
    frame.peak = 0;
    for (size_t t = 0; t < frame.samples.size(); ++t) {
        frame.samples[t] = t < values.size() ? values[t] : 0;
        frame.peak = std::max<int64_t>(frame.peak, std::abs(int64_t{frame.samples[t]}));
    }
}

inline std::vector<int32_t> widen(std::span<const int16_t> samples)
{
    return std::vector<int32_t>(samples.begin(), samples.end());
}

} // namespace analysis_test
