#include "analysis/note_bands.h"

#include <bit>
#include <cmath>
#include <numbers>

#include "wave/wav_reader.h"

int32_t RecordingView::mono(int64_t frame) const
{
    if (frame < 0 || frame >= frame_count || channels <= 0)
        return 0;
    const auto at = static_cast<size_t>(frame * channels);
    if (channels == 2 && at + 1 < samples.size())
        return (samples[at] + samples[at + 1]) / 2;
    return at < samples.size() ? samples[at] : 0;
}

NoteBandTables make_note_band_tables()
{
    constexpr int32_t n = NOTE_BAND_WINDOW;
    NoteBandTables t;
    t.hann.resize(n);
    for (int32_t i = 0; i < n; ++i)
        t.hann[static_cast<size_t>(i)] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / (n - 1));
    t.twiddle_re.resize(n / 2);
    t.twiddle_im.resize(n / 2);
    for (int32_t i = 0; i < n / 2; ++i) {
        const double angle = -2.0 * std::numbers::pi * i / n;
        t.twiddle_re[static_cast<size_t>(i)] = std::cos(angle);
        t.twiddle_im[static_cast<size_t>(i)] = std::sin(angle);
    }
    t.reversed.resize(n);
    for (int32_t i = 0, bits = std::countr_zero(static_cast<uint32_t>(n)); i < n; ++i) {
        int32_t r = 0;
        for (int32_t b = 0; b < bits; ++b)
            r |= ((i >> b) & 1) << (bits - 1 - b);
        t.reversed[static_cast<size_t>(i)] = r;
    }
    t.bin_note.assign(n / 2 + 1, -1);
    for (int32_t k = 1; k <= n / 2; ++k) {
        const double hz = static_cast<double>(k) * WAVE_SAMPLE_RATE / n;
        const auto note = static_cast<int32_t>(std::floor(69.0 + 12.0 * std::log2(hz / 440.0) + 0.5));
        if (note >= 0 && note < MIDI_NOTE_COUNT)
            t.bin_note[static_cast<size_t>(k)] = note;
    }
    return t;
}

namespace {

// In-place iterative radix-2 FFT of NOTE_BAND_WINDOW points, input in bit-reversed order;
// real and imaginary parts apart, which the compiler keeps in registers and vectorises.
void transform(std::vector<double>& re, std::vector<double>& im, const NoteBandTables& t)
{
    const auto n = static_cast<size_t>(NOTE_BAND_WINDOW);
    for (size_t half = 1; half < n; half *= 2) {
        const size_t stride = n / (2 * half);
        for (size_t start = 0; start < n; start += 2 * half) {
            for (size_t j = 0; j < half; ++j) {
                const double wr = t.twiddle_re[j * stride];
                const double wi = t.twiddle_im[j * stride];
                const size_t a = start + j;
                const size_t b = a + half;
                const double odd_re = wr * re[b] - wi * im[b];
                const double odd_im = wr * im[b] + wi * re[b];
                re[b] = re[a] - odd_re;
                im[b] = im[a] - odd_im;
                re[a] += odd_re;
                im[a] += odd_im;
            }
        }
    }
}

} // namespace

std::array<double, MIDI_NOTE_COUNT> note_band_power(const NoteBandTables& tables, const RecordingView& recording,
                                                    int64_t end)
{
    constexpr int32_t n = NOTE_BAND_WINDOW;
    std::vector<double> re(n);
    std::vector<double> im(n, 0.0);
    const int64_t first = end - n;
    for (int32_t i = 0; i < n; ++i)
        re[static_cast<size_t>(tables.reversed[static_cast<size_t>(i)])] =
            recording.mono(first + i) * tables.hann[static_cast<size_t>(i)];
    transform(re, im, tables);
    std::array<double, MIDI_NOTE_COUNT> power{};
    for (int32_t k = 1; k <= n / 2; ++k) {
        const int32_t note = tables.bin_note[static_cast<size_t>(k)];
        const auto b = static_cast<size_t>(k);
        if (note >= 0)
            power[static_cast<size_t>(note)] += re[b] * re[b] + im[b] * im[b];
    }
    return power;
}
