// Reading and resampling a WAV file: 10 s of stereo at 22050 per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "signal/wav_synth.h"
#include "wave/wav_reader.h"

static void BM_read_wave_resampled(benchmark::State& state)
{
    const std::string path = "/tmp/tonagram-bench-22050-2-16.wav";
    auto left = synth::sine(440, 8000, 220500, 22050);
    auto right = synth::sine(660, 8000, 220500, 22050);
    synth::WavLayout layout;
    layout.channels = 2;
    layout.rate = 22050;
    synth::write_wav(path, layout, synth::interleave(left, right));
    for (auto _ : state)
        benchmark::DoNotOptimize(read_wave(path.c_str()));
    std::remove(path.c_str());
}
BENCHMARK(BM_read_wave_resampled)->Unit(benchmark::kMillisecond);
