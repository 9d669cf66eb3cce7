// The whole frequency analysis with the default settings (88 notes, FFT_SIZE 4096) of 10 s
// of plucked chords: the baseline for work on the correlation kernels.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "analysis/analyse_wave.h"
#include "core/settings.h"
#include "core/status.h"
#include "signal/wav_synth.h"
#include "wave/wav_reader.h"

namespace {

std::vector<int16_t> chord_progression(int32_t seconds)
{
    const double chords[][4] = {{48, 60, 64, 67}, {45, 57, 60, 64}, {41, 53, 57, 60}, {43, 55, 59, 62}};
    std::vector<double> signal(static_cast<size_t>(seconds) * synth::RATE, 0.0);
    const int32_t chord_length = synth::RATE;  // one chord a second
    for (int32_t c = 0; c < seconds; ++c) {
        for (double note : chords[c % 4])
            synth::add_plucked_note(signal, note, 4000, c * chord_length, chord_length);
        synth::add_plucked_note(signal, 72 + 2 * (c % 5), 3000, c * chord_length + chord_length / 2, chord_length / 2);
    }
    return synth::to_pcm16(signal);
}

} // namespace

static void BM_analyse_wave_10s_chords(benchmark::State& state)
{
    reset_settings();
    reset_conversion_status();
    const std::string path = "/tmp/tonagram-bench-analysis.wav";
    set_current_path(path.c_str());
    wave_data.samples = chord_progression(10);
    wave_data.frame_count = static_cast<int32_t>(wave_data.samples.size());
    wave_data.channels = 1;
    int32_t records = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(records = analyse_wave());
    state.counters["records"] = records;
    std::remove("/tmp/tonagram-bench-analysis.fft");
}
BENCHMARK(BM_analyse_wave_10s_chords)->Unit(benchmark::kSecond)->Iterations(1);
