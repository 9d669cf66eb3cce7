// The recording's short-time spectrum, summed into one band per MIDI note: a view of the
// sound itself, with a window short enough to show attacks that the analysis's long
// note windows smooth away.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/analysis_results.h"

// The samples of a recording at 44100 Hz, interleaved as read. Stereo counts as the mean
// of its two channels, as in the conversion's mixdown, so a recording gives the same
// spectrum before and after it.
struct RecordingView {
    std::span<const int16_t> samples;
    int32_t channels = 1;
    int64_t frame_count = 0;

    int32_t mono(int64_t frame) const;
};

inline constexpr int32_t NOTE_BAND_WINDOW = 2048;  // 46 ms: the bands resolve semitones from F#4 up

// Tables for one window length: Hann window, FFT twiddles and bit reversal, and the note
// band of every FFT bin (-1 for bins outside notes 0..127).
struct NoteBandTables {
    std::vector<double> hann;
    std::vector<double> twiddle_re;
    std::vector<double> twiddle_im;
    std::vector<int32_t> reversed;
    std::vector<int32_t> bin_note;
};

NoteBandTables make_note_band_tables();

// The power of each note's band (sum of |FFT|^2 over its bins) in the window of
// NOTE_BAND_WINDOW samples that ends at sample `end`. Samples outside the recording count as 0.
std::array<double, MIDI_NOTE_COUNT> note_band_power(const NoteBandTables& tables, const RecordingView& recording,
                                                    int64_t end);
