// The clean transcription against the note extraction it replaces, both from the analysis
// file of 10 s of plucked chords, and the analysis itself for scale: the clean stage's cost
// is the difference between the first two, compared with the whole conversion.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "analysis/analyse_wave.h"
#include "analysis/analysis_file.h"
#include "analysis/clean_transcription.h"
#include "analysis/note_extraction.h"
#include "core/settings.h"
#include "core/status.h"
#include "signal/wav_synth.h"
#include "wave/wav_reader.h"

namespace {

const char* const WAVE_PATH = "/tmp/tonagram-bench-clean.wav";
const char* const ANALYSIS_PATH = "/tmp/tonagram-bench-clean.fft";

// 10 s of four-note chords with a melody note between them, analysed once.
void analyse_once()
{
    static bool analysed = false;
    if (analysed)
        return;
    reset_settings();
    reset_conversion_status();
    set_current_path(WAVE_PATH);
    std::vector<double> signal(static_cast<size_t>(10) * synth::RATE, 0.0);
    const double chords[][4] = {{48, 60, 64, 67}, {45, 57, 60, 64}, {41, 53, 57, 60}, {43, 55, 59, 62}};
    for (int32_t c = 0; c < 10; ++c) {
        for (double note : chords[c % 4])
            synth::add_plucked_note(signal, note, 4000, c * synth::RATE, synth::RATE);
        synth::add_plucked_note(signal, 72 + 2 * (c % 5), 3000, c * synth::RATE + synth::RATE / 2, synth::RATE / 2);
    }
    wave_data.samples = synth::to_pcm16(signal);
    wave_data.frame_count = static_cast<int32_t>(wave_data.samples.size());
    wave_data.channels = 1;
    analyse_wave();
    conversion_status.reconvert = 1;
    analysed = true;
}

} // namespace

static void BM_extract_note_segments_10s(benchmark::State& state)
{
    analyse_once();
    int32_t segments = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(segments = extract_note_segments());
    state.counters["segments"] = segments;
}
BENCHMARK(BM_extract_note_segments_10s)->Unit(benchmark::kMillisecond);

static void BM_clean_note_segments_10s(benchmark::State& state)
{
    analyse_once();
    int32_t segments = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(segments = clean_note_segments());
    state.counters["segments"] = segments;
}
BENCHMARK(BM_clean_note_segments_10s)->Unit(benchmark::kMillisecond);

static void BM_analyse_wave_10s_for_clean(benchmark::State& state)
{
    analyse_once();
    conversion_status.reconvert = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(analyse_wave());
    conversion_status.reconvert = 1;
    std::remove(ANALYSIS_PATH);
}
BENCHMARK(BM_analyse_wave_10s_for_clean)->Unit(benchmark::kMillisecond)->Iterations(1);
