// Throughput of the correlation kernels, in sample-by-table products per second (a sine and
// a cosine product count as two), for every kernel set this processor runs. The tables and
// the frame stay in the first-level cache, so these are the arithmetic rates; the whole
// analysis reads its tables from the outer caches as well.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "analysis/correlation_kernels.h"

namespace {

constexpr int32_t WINDOW = 1603;  // note 69 at the default settings
constexpr int32_t FRAME = 4096;
constexpr int32_t STEPS = 64;

struct Data {
    std::vector<int16_t> sine, cosine, wave;
    std::vector<int32_t> frame;
    Data()
    {
        std::mt19937 rng(5);
        std::uniform_int_distribution<int> table(-16384, 16384), sample(-20000, 20000);
        for (int32_t t = 0; t < WINDOW; ++t) {
            sine.push_back(static_cast<int16_t>(table(rng)));
            cosine.push_back(static_cast<int16_t>(table(rng)));
        }
        for (int32_t t = 0; t < FRAME + 16 * STEPS; ++t)
            wave.push_back(static_cast<int16_t>(sample(rng)));
        frame.assign(wave.begin(), wave.begin() + FRAME);
    }
};

const Data& data()
{
    static const Data d;
    return d;
}

void correlate(benchmark::State& state, const CorrelationKernels* k)
{
    const Data& d = data();
    for (auto _ : state)
        benchmark::DoNotOptimize(k->correlate(d.frame.data(), d.sine.data(), d.cosine.data(), WINDOW));
    state.counters["products/s"] =
        benchmark::Counter(2.0 * WINDOW * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void subtract(benchmark::State& state, const CorrelationKernels* k)
{
    const Data& d = data();
    std::vector<int32_t> frame = d.frame;
    int32_t sign = 1;
    for (auto _ : state) {
        // Alternating signs keep the frame from drifting out of its range.
        benchmark::DoNotOptimize(k->subtract(frame.data(), FRAME, d.sine.data(), d.cosine.data(), WINDOW, 3000 * sign, -2000 * sign));
        sign = -sign;
    }
    state.counters["products/s"] =
        benchmark::Counter(2.0 * FRAME * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void slide(benchmark::State& state, const CorrelationKernels* k)
{
    const Data& d = data();
    std::vector<int32_t> sine_steps(STEPS), cosine_steps(STEPS);
    for (auto _ : state) {
        k->slide(d.wave.data(), WINDOW, d.sine.data(), d.cosine.data(), 7, STEPS, sine_steps.data(), cosine_steps.data());
        benchmark::DoNotOptimize(sine_steps.data());
    }
    // Each step: 16 samples leave and 16 enter, each against sine and cosine.
    state.counters["products/s"] =
        benchmark::Counter(64.0 * STEPS * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

int register_kernels()
{
    benchmark::AddCustomContext("kernels in use", correlation_kernels().name);
    for (const CorrelationKernels* k : available_correlation_kernels()) {
        const std::string name = k->name;
        benchmark::RegisterBenchmark(("BM_correlate/" + name).c_str(), correlate, k);
        benchmark::RegisterBenchmark(("BM_subtract/" + name).c_str(), subtract, k);
        benchmark::RegisterBenchmark(("BM_slide/" + name).c_str(), slide, k);
    }
    return 0;
}

const int registered = register_kernels();

} // namespace

// The residual correlations of one output frame at the default settings: every note's
// window (fine step 12) against the frame, tables from the outer caches as in a real run.
#include "analysis/sinusoid_tables.h"
#include "core/settings.h"

namespace {

void correlate_all_notes(benchmark::State& state, const CorrelationKernels* k)
{
    reset_settings();
    build_pitch_grid();
    plan_sinusoid_windows();
    build_sinusoid_tables();
    const AnalysisTables& t = analysis_tables;
    const Data& d = data();
    double products = 0;
    for (auto _ : state) {
        for (int32_t i = 0; i < t.grid.note_count; ++i) {
            const size_t p = static_cast<size_t>(24 * i + (state.iterations() % 24));
            const int32_t length = t.window_length[p];
            benchmark::DoNotOptimize(k->correlate(d.frame.data(), t.sine.data() + t.table_offset[p],
                                                  t.cosine.data() + t.table_offset[p], length));
            products += 2.0 * length;
        }
    }
    state.counters["products/s"] = benchmark::Counter(products, benchmark::Counter::kIsRate);
}

const int registered_all = [] {
    for (const CorrelationKernels* k : available_correlation_kernels())
        benchmark::RegisterBenchmark((std::string("BM_correlate_all_notes/") + k->name).c_str(), correlate_all_notes, k);
    return 0;
}();

} // namespace
