// The correlation kernels in AVX2: 8 samples per vector, 32-bit lanes.
#include "analysis/correlation_kernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

// Everything below is compiled for AVX2; only avx2_correlation_kernels chooses it.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace {

// p / 16384 toward zero: the magnitude is shifted and the sign put back.
inline __m256i divide_16384(__m256i p)
{
    return _mm256_sign_epi32(_mm256_srli_epi32(_mm256_abs_epi32(p), 14), p);
}

inline __m256i scaled(__m256i values, __m256i table)
{
    return divide_16384(_mm256_mullo_epi32(values, table));
}

inline __m256i widen(const int16_t* p)
{
    return _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

inline __m256i load(const int32_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Sum of the 8 lanes in 64 bits.
inline int64_t lane_sum(__m256i v)
{
    const __m256i wide = _mm256_add_epi64(_mm256_cvtepi32_epi64(_mm256_castsi256_si128(v)),
                                          _mm256_cvtepi32_epi64(_mm256_extracti128_si256(v, 1)));
    const __m128i pair = _mm_add_epi64(_mm256_castsi256_si128(wide), _mm256_extracti128_si256(wide, 1));
    return _mm_cvtsi128_si64(pair) + _mm_extract_epi64(pair, 1);
}

inline int32_t scaled_one(int32_t value, int16_t table)
{
    return value * table / 16384;
}

// Asks for the 64-byte lines of the window ahead that hold entries t .. t+31. (Written out:
// GCC 12 drops the prefetch builtins of this function as having no effect.)
inline void fetch_ahead(const TableWindow& ahead, int32_t t)
{
    if (t < ahead.length) {
        asm volatile("prefetcht0 %0" : : "m"(ahead.sine[t]));
        asm volatile("prefetcht0 %0" : : "m"(ahead.cosine[t]));
    }
}

CorrelationSums avx2_correlate(const int32_t* frame, const TableWindow& w, const TableWindow& ahead)
{
    const int32_t length = w.length;
    __m256i s0 = _mm256_setzero_si256(), s1 = s0, c0 = s0, c1 = s0;
    int32_t t = 0;
    for (; t + 16 <= length; t += 16) {
        if (t % 32 == 0)
            fetch_ahead(ahead, t);
        const __m256i x0 = load(frame + t);
        const __m256i x1 = load(frame + t + 8);
        s0 = _mm256_add_epi32(s0, scaled(x0, widen(w.sine + t)));
        c0 = _mm256_add_epi32(c0, scaled(x0, widen(w.cosine + t)));
        s1 = _mm256_add_epi32(s1, scaled(x1, widen(w.sine + t + 8)));
        c1 = _mm256_add_epi32(c1, scaled(x1, widen(w.cosine + t + 8)));
    }
    for (int32_t rest = (t + 31) / 32 * 32; rest < ahead.length; rest += 32)
        fetch_ahead(ahead, rest);
    // Each lane holds at most length / 16 terms below 2^17: no 32-bit overflow.
    CorrelationSums sums{lane_sum(s0) + lane_sum(s1), lane_sum(c0) + lane_sum(c1)};
    for (; t < length; ++t) {
        sums.sine += scaled_one(frame[t], w.sine[t]);
        sums.cosine += scaled_one(frame[t], w.cosine[t]);
    }
    return sums;
}

// The largest of the eight lanes.
inline int32_t lane_max(__m256i v)
{
    __m128i m = _mm_max_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    m = _mm_max_epi32(m, _mm_shuffle_epi32(m, _MM_SHUFFLE(1, 0, 3, 2)));
    m = _mm_max_epi32(m, _mm_shuffle_epi32(m, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(m);
}

// The first run: makes the fitted values (keeping them when later runs need them) and
// subtracts them. Returns the largest magnitude.
int32_t subtract_first_run(int32_t* frame, int32_t count, const TableWindow& w, int32_t a, int32_t b, int32_t* fitted)
{
    const __m256i va = _mm256_set1_epi32(a);
    const __m256i vb = _mm256_set1_epi32(b);
    const bool kept = count > w.length;
    const int32_t run_length = kept ? w.length : count;
    __m256i peak = _mm256_setzero_si256();
    int32_t t = 0;
    for (; t + 8 <= run_length; t += 8) {
        const __m256i f = _mm256_add_epi32(scaled(va, widen(w.sine + t)), scaled(vb, widen(w.cosine + t)));
        if (kept)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(fitted + t), f);
        const __m256i y = _mm256_sub_epi32(load(frame + t), f);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(frame + t), y);
        peak = _mm256_max_epi32(peak, _mm256_abs_epi32(y));
    }
    int32_t tail_peak = 0;
    for (; t < run_length; ++t) {
        const int32_t f = scaled_one(a, w.sine[t]) + scaled_one(b, w.cosine[t]);
        if (kept)
            fitted[t] = f;
        frame[t] -= f;
        const int32_t magnitude = frame[t] < 0 ? -frame[t] : frame[t];
        tail_peak = magnitude > tail_peak ? magnitude : tail_peak;
    }
    const int32_t vector_peak = lane_max(peak);
    return vector_peak > tail_peak ? vector_peak : tail_peak;
}

int64_t avx2_subtract(int32_t* frame, int32_t count, const TableWindow& w, int32_t a, int32_t b, int32_t* fitted)
{
    int32_t tail_peak = subtract_first_run(frame, count, w, a, b, fitted);
    __m256i peak = _mm256_setzero_si256();
    for (int32_t start = w.length; start < count; start += w.length) {
        int32_t* run = frame + start;
        const int32_t run_length = count - start < w.length ? count - start : w.length;
        int32_t t = 0;
        for (; t + 8 <= run_length; t += 8) {
            const __m256i y = _mm256_sub_epi32(load(run + t), load(fitted + t));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(run + t), y);
            peak = _mm256_max_epi32(peak, _mm256_abs_epi32(y));
        }
        for (; t < run_length; ++t) {
            run[t] -= fitted[t];
            const int32_t magnitude = run[t] < 0 ? -run[t] : run[t];
            tail_peak = magnitude > tail_peak ? magnitude : tail_peak;
        }
    }
    const int32_t vector_peak = lane_max(peak);
    return vector_peak > tail_peak ? vector_peak : tail_peak;
}

// The 16 table entries from phase on, continuing at the window's start past its end.
struct TableRun {
    __m256i low;
    __m256i high;
};

// Past the window's end the entries repeat its start.
inline TableRun table_run(const int16_t* table, int32_t phase)
{
    return {widen(table + phase), widen(table + phase + 8)};
}

// Products of 16 samples (widened in two halves) with a table run.
struct BlockProducts {
    __m256i low;
    __m256i high;
};

inline BlockProducts block_products(__m256i low, __m256i high, const TableRun& table)
{
    return {scaled(low, table.low), scaled(high, table.high)};
}

// Keeps a block of products at position of ring (see slide_rings), and its copy after the
// end when it is the first block.
inline void keep(int32_t* ring, int32_t size, int32_t position, const BlockProducts& p)
{
    _mm256_store_si256(reinterpret_cast<__m256i*>(ring + position), p.low);
    _mm256_store_si256(reinterpret_cast<__m256i*>(ring + position + 8), p.high);
    if (position == 0) {
        _mm256_store_si256(reinterpret_cast<__m256i*>(ring + size), p.low);
        _mm256_store_si256(reinterpret_cast<__m256i*>(ring + size + 8), p.high);
    }
}

// Walks the steps in order: makes and keeps the products of the samples that enter, and
// reads those of the samples that leave, kept when they entered (or before the first step).
struct StepWalk {
    const TableWindow w;  // a copy: stores into the rings cannot change it
    const SlideRings rings;
    const int16_t* entering;  // the next step's samples
    int32_t phase;            // their table phase, that of the leaving samples too
    int32_t kept;             // where their products go
    int32_t leaving;          // where the products of the leaving samples are

    // One ring's 16 entering minus leaving products, folded to 8 lanes.
    __m256i change(int32_t* ring, const BlockProducts& in) const
    {
        keep(ring, rings.size, kept, in);
        const __m256i low = _mm256_sub_epi32(in.low, load(ring + leaving));
        const __m256i high = _mm256_sub_epi32(in.high, load(ring + leaving + 8));
        return _mm256_add_epi32(low, high);
    }

    void next(__m256i& sine_lanes, __m256i& cosine_lanes)
    {
        const __m256i low = widen(entering);
        const __m256i high = widen(entering + 8);
        sine_lanes = change(rings.sine, block_products(low, high, table_run(w.sine, phase)));
        cosine_lanes = change(rings.cosine, block_products(low, high, table_run(w.cosine, phase)));
        entering += 16;
        phase = phase + 16 < w.length ? phase + 16 : phase + 16 - w.length;
        kept = (kept + 16) & (rings.size - 1);
        leaving = (leaving + 16) & (rings.size - 1);
    }
};

// The products of samples 0 .. length-1, which leave before they could enter: the first
// length mod 16 of them end block 0, the others fill the blocks after it.
void keep_first_window(const int16_t* wave, const TableWindow& w, int32_t phase, const SlideRings& rings)
{
    const int32_t cut = w.length % 16;
    for (int32_t u = 0; u < cut; ++u) {
        const int32_t p = phase + u < w.length ? phase + u : phase + u - w.length;
        for (const int32_t at : {16 - cut + u, rings.size + 16 - cut + u}) {
            rings.sine[at] = scaled_one(wave[u], w.sine[p]);
            rings.cosine[at] = scaled_one(wave[u], w.cosine[p]);
        }
    }
    phase = phase + cut < w.length ? phase + cut : phase + cut - w.length;
    for (int32_t n = cut; n < w.length; n += 16) {
        const __m256i low = widen(wave + n);
        const __m256i high = widen(wave + n + 8);
        keep(rings.sine, rings.size, n + 16 - cut, block_products(low, high, table_run(w.sine, phase)));
        keep(rings.cosine, rings.size, n + 16 - cut, block_products(low, high, table_run(w.cosine, phase)));
        phase = phase + 16 < w.length ? phase + 16 : phase + 16 - w.length;
    }
}

// Four pair sums of eight vectors (hadd of vectors 2i and 2i+1) to the eight lane sums, in order.
inline __m256i fold8(const __m256i* pairs)
{
    const __m256i h0 = _mm256_hadd_epi32(pairs[0], pairs[1]);
    const __m256i h1 = _mm256_hadd_epi32(pairs[2], pairs[3]);
    return _mm256_add_epi32(_mm256_permute2x128_si256(h0, h1, 0x20), _mm256_permute2x128_si256(h0, h1, 0x31));
}

void avx2_slide(const int16_t* wave, const TableWindow& w, int32_t phase, int32_t steps, int32_t* sine_steps,
                int32_t* cosine_steps, int32_t* scratch)
{
    const SlideRings rings = slide_rings(scratch, w.length);
    keep_first_window(wave, w, phase, rings);
    StepWalk walk{w, rings, wave + w.length, phase, rings.entering, rings.leaving};
    int32_t group = 0;
    for (; group + 8 <= steps; group += 8) {
        // Each pair of steps is folded at once: fewer vectors to hold.
        __m256i sine_pairs[4];
        __m256i cosine_pairs[4];
        for (int32_t i = 0; i < 4; ++i) {
            __m256i s0, c0, s1, c1;
            walk.next(s0, c0);
            walk.next(s1, c1);
            sine_pairs[i] = _mm256_hadd_epi32(s0, s1);
            cosine_pairs[i] = _mm256_hadd_epi32(c0, c1);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sine_steps + group), fold8(sine_pairs));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(cosine_steps + group), fold8(cosine_pairs));
    }
    // The last steps one by one (fewer than 8).
    for (; group < steps; ++group) {
        __m256i sine_lanes;
        __m256i cosine_lanes;
        walk.next(sine_lanes, cosine_lanes);
        sine_steps[group] = static_cast<int32_t>(lane_sum(sine_lanes));
        cosine_steps[group] = static_cast<int32_t>(lane_sum(cosine_lanes));
    }
}

// Running sums of four steps on top of carry (whose lanes all hold the sum so far).
inline __m256d running_sums(__m256d carry, __m256d steps)
{
    const __m256d zero = _mm256_setzero_pd();
    steps = _mm256_add_pd(steps, _mm256_blend_pd(_mm256_permute4x64_pd(steps, _MM_SHUFFLE(2, 1, 0, 0)), zero, 0x1));
    steps = _mm256_add_pd(steps, _mm256_blend_pd(_mm256_permute4x64_pd(steps, _MM_SHUFFLE(1, 0, 0, 0)), zero, 0x3));
    return _mm256_add_pd(carry, steps);
}

inline __m256d truncated_quotient(__m256d sum, __m256d length)
{
    return _mm256_round_pd(_mm256_div_pd(_mm256_add_pd(sum, sum), length), _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
}

void avx2_pick(const int32_t* sine_steps, const int32_t* cosine_steps, int32_t steps, int32_t length,
               double& sine_sum, double& cosine_sum, int32_t step, double* best_power, int32_t* best_step)
{
    const __m256d window = _mm256_set1_pd(length);
    const __m128i step_lanes = _mm_set1_epi32(step);
    __m256d sine_carry = _mm256_set1_pd(sine_sum);
    __m256d cosine_carry = _mm256_set1_pd(cosine_sum);
    int32_t s = 0;
    for (; s + 4 <= steps; s += 4) {
        const __m256d sines = running_sums(
            sine_carry, _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sine_steps + s))));
        const __m256d cosines = running_sums(
            cosine_carry, _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cosine_steps + s))));
        sine_carry = _mm256_permute4x64_pd(sines, _MM_SHUFFLE(3, 3, 3, 3));
        cosine_carry = _mm256_permute4x64_pd(cosines, _MM_SHUFFLE(3, 3, 3, 3));
        const __m256d a = truncated_quotient(sines, window);
        const __m256d b = truncated_quotient(cosines, window);
        const __m256d power = _mm256_add_pd(_mm256_mul_pd(a, a), _mm256_mul_pd(b, b));
        const __m256d best = _mm256_loadu_pd(best_power + s);
        const __m256d larger = _mm256_cmp_pd(power, best, _CMP_GT_OQ);
        _mm256_storeu_pd(best_power + s, _mm256_blendv_pd(best, power, larger));
        // One 32-bit mask lane per 64-bit comparison lane.
        const __m256i wide_mask = _mm256_castpd_si256(larger);
        const __m128i mask = _mm256_castsi256_si128(
            _mm256_permutevar8x32_epi32(wide_mask, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
        _mm_maskstore_epi32(best_step + s, mask, step_lanes);
    }
    sine_sum = _mm256_cvtsd_f64(sine_carry);
    cosine_sum = _mm256_cvtsd_f64(cosine_carry);
    for (; s < steps; ++s) {
        sine_sum += sine_steps[s];
        cosine_sum += cosine_steps[s];
        double a = 2 * sine_sum / length;
        double b = 2 * cosine_sum / length;
        a = a < 0 ? -__builtin_floor(-a) : __builtin_floor(a);
        b = b < 0 ? -__builtin_floor(-b) : __builtin_floor(b);
        const double power = a * a + b * b;
        if (power > best_power[s]) {
            best_power[s] = power;
            best_step[s] = step;
        }
    }
}

const CorrelationKernels kernels = {"avx2", avx2_correlate, avx2_subtract, avx2_slide, avx2_pick};

} // namespace

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

const CorrelationKernels* avx2_correlation_kernels()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? &kernels : nullptr;
}

#else

const CorrelationKernels* avx2_correlation_kernels()
{
    return nullptr;
}

#endif
