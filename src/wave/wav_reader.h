// Reading uncompressed WAV files (integer PCM of 8, 16, 24 or 32 bits, 32-bit float, plain or
// extensible) into 16-bit samples at 44100 per second, linear resampling and stereo mixdown.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/status.h"

inline constexpr int32_t WAVE_SAMPLE_RATE = 44100;

// Largest sample buffer a WAV file may need after conversion; larger files are refused
// instead of exhausting memory (about 100 minutes of stereo at 44100 per second).
inline constexpr uint64_t WAVE_MAX_SAMPLE_BYTES = uint64_t{1} << 30;

// Sample rates a recording may have; others are refused (a rate of a few Hz would turn a
// small file into hours of audio).
inline constexpr uint32_t WAVE_MIN_SAMPLE_RATE = 1000;
inline constexpr uint32_t WAVE_MAX_SAMPLE_RATE = 768000;

// The loaded wave; read_wave owns and replaces it.
struct WaveData {
    std::vector<int16_t> samples;  // interleaved when stereo; after mix_to_mono only the first frame_count count
    int32_t frame_count = 0;       // frames at 44100 per second; > 0 means sample data is present
    int32_t channels = 1;          // from the file; 1 after mix_to_mono
    int32_t sample_rate = WAVE_SAMPLE_RATE;  // always 44100 after a successful read
    int32_t bits_per_sample = 16;  // as stored in the file (8, 16, 24 or 32), for display
    char wave_name[PATH_CAPACITY] = {};      // path of the file last opened
};

extern WaveData wave_data;

// Loads the WAV file at path into wave_data. Accepted: format tag 1 (integer PCM) with 8
// (unsigned), 16, 24 or 32 bits, tag 3 (IEEE float) with 32 bits, and tag 0xFFFE
// (extensible) whose subformat is one of these. 24- and 32-bit samples are divided by 256 and
// 65536 toward zero; float samples are scaled by 32768, truncated toward zero and clamped.
// Returns the new frame_count (0 or more), or -1 when the file cannot be opened, has another
// format or bit depth, no format or data chunk, no channels, a block alignment too small for
// one frame, a rate outside WAVE_MIN_SAMPLE_RATE..WAVE_MAX_SAMPLE_RATE, or needs more than
// WAVE_MAX_SAMPLE_BYTES. A failure after opening changes only wave_name (and, should memory
// run out, leaves the wave empty). A data chunk that claims more than the file holds is read
// as what the file holds. The previous samples are released before the new ones are
// allocated, and the data is converted block by block: one full-size buffer at a time.
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
