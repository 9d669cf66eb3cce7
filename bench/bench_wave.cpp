// Reading WAV files: 10 s of stereo at 22050 per second (resampled), and one hour at 44100.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>

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

// Reading one hour of stereo at 44100 per second (a sparse file: the data is a hole). The
// peak resident size shows that the reader holds one buffer of the converted samples
// (635 MB) and reads the file in small blocks, not the data chunk a second time.
static void BM_read_wave_one_hour_stereo(benchmark::State& state)
{
    const std::string path = "/tmp/tonagram-bench-hour.wav";
    synth::WavLayout layout;
    layout.channels = 2;
    std::vector<uint8_t> header = synth::wav_bytes(layout, {});
    const uint32_t data_bytes = 44100u * 3600u * 4u;
    std::memcpy(&header[header.size() - 4], &data_bytes, 4);
    synth::write_file(path, header);
    std::filesystem::resize_file(path, header.size() + data_bytes);
    for (auto _ : state)
        benchmark::DoNotOptimize(read_wave(path.c_str()));
    reset_wave_data();
    std::remove(path.c_str());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_read_wave_one_hour_stereo)->Unit(benchmark::kMillisecond)->Iterations(2);
