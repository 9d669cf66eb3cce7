// Test signals made by our own code, and a writer for the WAV layouts the reader accepts.
// Used by the tests, the benchmarks and the demo example; no audio comes from outside.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace synth {

inline constexpr int32_t RATE = 44100;

double midi_note_frequency(double note);

// Mono 16-bit signals at `rate` samples per second.
std::vector<int16_t> sine(double frequency, double amplitude, int32_t frames, int32_t rate = RATE);
std::vector<int16_t> silence(int32_t frames);
// Frequency moving exponentially from start to end over the signal.
std::vector<int16_t> glide(double start_frequency, double end_frequency, double amplitude,
                           int32_t frames, int32_t rate = RATE);

// A plucked-string-like note: a few harmonics with exponential decay, added into out at
// sample offset start.
void add_plucked_note(std::vector<double>& out, double note, double velocity, int32_t start,
                      int32_t frames, int32_t rate = RATE);

// A busy polyphonic passage: every fifth of a second two to four new plucked notes (MIDI
// 36..96, lasting 0.2 to 0.8 s, so four to eight sound at once) over white noise of
// amplitude 150. The same seed always gives the same samples, on every machine.
std::vector<int16_t> polyphonic_passage(int32_t frames, uint32_t seed = 1, int32_t rate = RATE);

// Sum of sines of equal amplitude (for chords).
std::vector<int16_t> chord(std::span<const double> frequencies, double amplitude, int32_t frames);

// Clips and rounds to 16 bits.
std::vector<int16_t> to_pcm16(std::span<const double> signal);

// Interleaves two mono signals of equal length.
std::vector<int16_t> interleave(std::span<const int16_t> left, std::span<const int16_t> right);

struct WavLayout {
    int32_t channels = 1;
    int32_t rate = RATE;
    int32_t bits = 16;             // 8, 16, 24 or 32; 16-bit samples are scaled to the depth
    uint16_t format_tag = 1;       // 1 = integer PCM, 3 = IEEE float (32 bits, sample / 32768)
    bool extensible = false;       // WAVE_FORMAT_EXTENSIBLE with format_tag as its subformat
    bool list_before_fmt = false;  // a LIST chunk before "fmt "
    bool list_before_data = false; // a LIST chunk between "fmt " and "data"
    uint32_t extra_fmt_bytes = 0;  // format chunk larger than 16 bytes
};

// The bytes of a WAV file holding samples (interleaved 16-bit values, scaled to layout.bits).
std::vector<uint8_t> wav_bytes(const WavLayout& layout, std::span<const int16_t> samples);

// Writes bytes to path; false on failure.
bool write_file(const std::string& path, std::span<const uint8_t> bytes);

bool write_wav(const std::string& path, const WavLayout& layout, std::span<const int16_t> samples);

} // namespace synth
