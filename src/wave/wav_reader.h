// Reading uncompressed PCM WAV files into 16-bit samples at 44100 per second,
// linear resampling and stereo mixdown.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

inline constexpr int32_t WAVE_SAMPLE_RATE = 44100;

// Largest sample buffer a WAV file may need after conversion; larger files are refused
// instead of exhausting memory (about 100 minutes of stereo at 44100 per second).
inline constexpr uint64_t WAVE_MAX_SAMPLE_BYTES = uint64_t{1} << 30;

// The loaded wave; read_wave owns and replaces it.
struct WaveData {
    std::vector<int16_t> samples;  // interleaved when stereo; after mix_to_mono only the first frame_count count
    int32_t frame_count = 0;       // frames at 44100 per second; > 0 means sample data is present
    int32_t channels = 1;          // from the file; 1 after mix_to_mono
    int32_t sample_rate = WAVE_SAMPLE_RATE;  // always 44100 after a successful read
    int32_t bits_per_sample = 16;  // as stored in the file (8, 16 or 24), for display
    char wave_name[256] = {};      // path of the file last opened
};

extern WaveData wave_data;

// Loads the WAV file at path into wave_data. Returns the new frame_count (0 or more), or -1
// when the file cannot be opened, is not PCM (format tag 1), has no format or data chunk,
// has a zero rate, channel count or block alignment, or needs more than
// WAVE_MAX_SAMPLE_BYTES. A failure after opening changes only wave_name. A data chunk that
// is shorter than its stated size keeps what is there and is padded with silence.
int32_t read_wave(const char* path);

// Fills target (target_frames interleaved frames) from source (source_frames frames) by
// linear interpolation between neighbouring source frames.
void resample_linear(int32_t channels, int32_t source_frames, const int16_t* source,
                     int32_t target_frames, int16_t* target);

// Averages the two channels of each stereo frame into the first frame_count samples and
// sets channels to 1; other channel counts are left alone.
void mix_to_mono();

// Empties wave_data (tests and the GUI at exit use it).
void reset_wave_data();
