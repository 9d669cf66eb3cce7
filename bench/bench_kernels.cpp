// Throughput of the correlation kernels, in sample-by-table products per second (a sine and
// a cosine product count as two), for every kernel set this processor runs. BM_correlate,
// BM_subtract and BM_slide keep their tables and frame in the first-level cache: the
// arithmetic rate. BM_correlate_all_notes correlates one frame with every note's window at
// the default settings, a different fine step each time, so its tables come from the outer
// caches as in a real run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "analysis/correlation_kernels.h"
#include "analysis/sinusoid_tables.h"
#include "core/settings.h"

namespace {

constexpr int32_t WINDOW = 1603;  // note 69 at the default settings
constexpr int32_t FRAME = 4096;
constexpr int32_t STEPS = 2048;  // a batch of frames

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
        for (int32_t t = 0; t < WINDOW_REPEAT; ++t) {  // as every window of a run
            sine.push_back(sine[static_cast<size_t>(t)]);
            cosine.push_back(cosine[static_cast<size_t>(t)]);
        }
        for (int32_t t = 0; t < FRAME + 16 * STEPS; ++t)
            wave.push_back(static_cast<int16_t>(sample(rng)));
        frame.assign(wave.begin(), wave.begin() + FRAME);
    }
    TableWindow window() const { return {sine.data(), cosine.data(), WINDOW}; }
};

const Data& data()
{
    static const Data d;
    return d;
}

void count_products(benchmark::State& state, double per_iteration)
{
    state.counters["products/s"] =
        benchmark::Counter(per_iteration * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void correlate(benchmark::State& state, const CorrelationKernels* k)
{
    const Data& d = data();
    for (auto _ : state)
        benchmark::DoNotOptimize(k->correlate(d.frame.data(), d.window(), {}));
    count_products(state, 2.0 * WINDOW);
}

void subtract(benchmark::State& state, const CorrelationKernels* k)
{
    const Data& d = data();
    std::vector<int32_t> frame = d.frame, fitted(WINDOW);
    int32_t sign = 1;
    for (auto _ : state) {
        // Alternating signs keep the frame from drifting out of its range.
        benchmark::DoNotOptimize(k->subtract(frame.data(), FRAME, d.window(), 3000 * sign, -2000 * sign, fitted.data()));
        sign = -sign;
    }
    count_products(state, 2.0 * FRAME);
}

void slide(benchmark::State& state, const CorrelationKernels* k)
{
    const Data& d = data();
    std::vector<int32_t> sine_steps(STEPS), cosine_steps(STEPS), scratch(slide_scratch_size(WINDOW));
    for (auto _ : state) {
        k->slide(d.wave.data(), d.window(), 7, STEPS, sine_steps.data(), cosine_steps.data(), scratch.data());
        benchmark::DoNotOptimize(sine_steps.data());
    }
    // Each step: 16 samples leave and 16 enter, each against sine and cosine (the products
    // of the definition; the kernels make each one once, when its sample enters).
    count_products(state, 64.0 * STEPS);
}

void correlate_all_notes(benchmark::State& state, const CorrelationKernels* k)
{
    reset_settings();
    build_pitch_grid();
    plan_sinusoid_windows();
    build_sinusoid_tables();
    const PitchGrid& grid = analysis_tables.grid;
    const Data& d = data();
    double products = 0;
    int32_t step = 0;
    for (auto _ : state) {
        step = (step + 7) % FINE_STEPS;
        for (int32_t i = 0; i < grid.note_count; ++i) {
            const TableWindow w = fine_pitch_window(grid.first_fine[i] + step);
            const TableWindow ahead = i + 1 < grid.note_count ? fine_pitch_window(grid.first_fine[i + 1] + step) : TableWindow{};
            benchmark::DoNotOptimize(k->correlate(d.frame.data(), w, ahead));
            products += 2.0 * w.length;
        }
    }
    state.counters["products/s"] = benchmark::Counter(products, benchmark::Counter::kIsRate);
    free_analysis_tables();
}

// The whole table build at the default settings (88 notes) on one thread: a fixed cost of
// every analysis.
void build_tables(benchmark::State& state)
{
    reset_settings();
    for (auto _ : state) {
        build_pitch_grid();
        plan_sinusoid_windows();
        build_sinusoid_tables();
    }
    free_analysis_tables();
}

int register_kernels()
{
    benchmark::AddCustomContext("kernels in use", correlation_kernels().name);
    for (const CorrelationKernels* k : available_correlation_kernels()) {
        const std::string name = k->name;
        benchmark::RegisterBenchmark(("BM_correlate/" + name).c_str(), correlate, k);
        benchmark::RegisterBenchmark(("BM_subtract/" + name).c_str(), subtract, k);
        benchmark::RegisterBenchmark(("BM_slide/" + name).c_str(), slide, k);
        benchmark::RegisterBenchmark(("BM_correlate_all_notes/" + name).c_str(), correlate_all_notes, k);
    }
    return 0;
}

const int registered = register_kernels();

} // namespace

BENCHMARK(build_tables)->Name("BM_build_tables")->Unit(benchmark::kMillisecond);
