#include "analysis/correlation_kernels.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "analysis/sinusoid_tables.h"

namespace {

// Products of a narrow frame value (or amplitude) and a table entry fit 32 bits.
int32_t scaled(int32_t value, int16_t table)
{
    return value * table / TABLE_AMPLITUDE;
}

// Asks for line `line` (32 entries) of the window ahead, when it has one.
void fetch_ahead(const TableWindow& ahead, int32_t line)
{
    constexpr int32_t ENTRIES_PER_LINE = 32;
    const int32_t t = line * ENTRIES_PER_LINE;
    if (t < ahead.length) {
        __builtin_prefetch(ahead.sine + t);
        __builtin_prefetch(ahead.cosine + t);
    }
}

CorrelationSums portable_correlate(const int32_t* frame, const TableWindow& w, const TableWindow& ahead)
{
    CorrelationSums sums;
    for (int32_t t = 0; t < w.length; ++t) {
        if (t % 32 == 0)
            fetch_ahead(ahead, t / 32);
        sums.sine += scaled(frame[t], w.sine[t]);
        sums.cosine += scaled(frame[t], w.cosine[t]);
    }
    for (int32_t line = (w.length + 31) / 32; line * 32 < ahead.length; ++line)
        fetch_ahead(ahead, line);
    return sums;
}

int64_t portable_subtract(int32_t* frame, int32_t count, const TableWindow& w, int32_t a, int32_t b, int32_t* fitted)
{
    int32_t peak = 0;
    // The window repeats every length samples: straight runs, no wrapping index. The first
    // run makes the fitted values, the others subtract them again.
    for (int32_t start = 0; start < count; start += w.length) {
        int32_t* run = frame + start;
        const int32_t run_length = std::min(w.length, count - start);
        for (int32_t t = 0; t < run_length; ++t) {
            if (start == 0)
                fitted[t] = scaled(a, w.sine[t]) + scaled(b, w.cosine[t]);
            run[t] -= fitted[t];
            peak = std::max(peak, std::abs(run[t]));
        }
    }
    return peak;
}

void portable_slide(const int16_t* wave, const TableWindow& w, int32_t phase, int32_t steps, int32_t* sine_steps,
                    int32_t* cosine_steps, int32_t* scratch)
{
    const int32_t length = w.length;
    const SlideRings rings = slide_rings(scratch, length);
    const int32_t ring = rings.size;
    int32_t* sine_ring = rings.sine;
    int32_t* cosine_ring = rings.cosine;
    // Here sample n's products sit at n mod ring, from when they are made until it leaves.
    int32_t made = 0;
    int32_t made_at = 0;
    int32_t leaving_at = 0;
    int32_t entering_at = length;
    for (int32_t s = 0; s < steps; ++s) {
        for (; made < 16 * s + length + 16; ++made) {
            sine_ring[made_at] = scaled(wave[made], w.sine[phase]);
            cosine_ring[made_at] = scaled(wave[made], w.cosine[phase]);
            phase = phase + 1 < length ? phase + 1 : 0;
            made_at = made_at + 1 < ring ? made_at + 1 : 0;
        }
        int32_t sine_step = 0;
        int32_t cosine_step = 0;
        for (int32_t u = 0; u < 16; ++u) {
            const int32_t in = entering_at + u < ring ? entering_at + u : entering_at + u - ring;
            sine_step += sine_ring[in] - sine_ring[leaving_at + u];
            cosine_step += cosine_ring[in] - cosine_ring[leaving_at + u];
        }
        sine_steps[s] = sine_step;
        cosine_steps[s] = cosine_step;
        // The ring holds whole blocks, so a leaving block never runs past its end.
        leaving_at = leaving_at + 16 < ring ? leaving_at + 16 : 0;
        entering_at = entering_at + 16 < ring ? entering_at + 16 : entering_at + 16 - ring;
    }
}

void portable_pick(const int32_t* sine_steps, const int32_t* cosine_steps, int32_t steps, int32_t length,
                   double& sine_sum, double& cosine_sum, int32_t step, double* best_power, int32_t* best_step)
{
    for (int32_t s = 0; s < steps; ++s) {
        sine_sum += sine_steps[s];
        cosine_sum += cosine_steps[s];
        // A double quotient of whole numbers below 2^53 truncates to the integer quotient.
        const double a = std::trunc(2 * sine_sum / length);
        const double b = std::trunc(2 * cosine_sum / length);
        const double power = a * a + b * b;
        if (power > best_power[s]) {
            best_power[s] = power;
            best_step[s] = step;
        }
    }
}

const CorrelationKernels portable_kernels = {"portable", portable_correlate, portable_subtract, portable_slide,
                                             portable_pick};

std::vector<const CorrelationKernels*> find_available()
{
    std::vector<const CorrelationKernels*> sets = {&portable_kernels};
    for (const CorrelationKernels* k : {avx2_correlation_kernels(), avx512_correlation_kernels()}) {
        if (k)
            sets.push_back(k);
    }
    return sets;
}

const std::vector<const CorrelationKernels*>& available()
{
    static const std::vector<const CorrelationKernels*> sets = find_available();
    return sets;
}

std::atomic<const CorrelationKernels*> chosen{nullptr};

} // namespace

const CorrelationKernels& correlation_kernels()
{
    const CorrelationKernels* k = chosen.load(std::memory_order_relaxed);
    return k ? *k : *available().back();
}

std::span<const CorrelationKernels* const> available_correlation_kernels()
{
    return available();
}

void use_correlation_kernels(const CorrelationKernels* kernels)
{
    chosen.store(kernels, std::memory_order_relaxed);
}
