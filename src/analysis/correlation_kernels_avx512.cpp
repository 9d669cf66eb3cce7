// The correlation kernels in AVX-512 (F, BW and VL): 16 samples per vector, 32-bit lanes.
#include "analysis/correlation_kernels.h"

#if defined(__x86_64__)

#if !defined(__clang__)
// GCC 12 warns inside its own AVX-512 header (the undefined source vectors of the
// intrinsics), a known false alarm.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>

// Everything below is compiled for AVX-512; only avx512_correlation_kernels chooses it.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512bw,avx512vl"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vl")
#endif

namespace {

// p / 16384 toward zero: negative products are raised by 16383 before the shift.
inline __m512i divide_16384(__m512i p)
{
    const __mmask16 negative = _mm512_cmplt_epi32_mask(p, _mm512_setzero_si512());
    return _mm512_srai_epi32(_mm512_mask_add_epi32(p, negative, p, _mm512_set1_epi32(16383)), 14);
}

inline __m512i scaled(__m512i values, __m512i table)
{
    return divide_16384(_mm512_mullo_epi32(values, table));
}

inline __m512i widen(const int16_t* p)
{
    return _mm512_cvtepi16_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
}

inline __m512i widen_first(const int16_t* p, __mmask16 lanes)
{
    return _mm512_cvtepi16_epi32(_mm256_maskz_loadu_epi16(lanes, p));
}

inline __mmask16 first_lanes(int32_t n)
{
    return static_cast<__mmask16>((1u << n) - 1);
}

// Sum of the 16 lanes in 64 bits.
inline int64_t lane_sum(__m512i v)
{
    const __m512i low = _mm512_cvtepi32_epi64(_mm512_castsi512_si256(v));
    const __m512i high = _mm512_cvtepi32_epi64(_mm512_extracti64x4_epi64(v, 1));
    return _mm512_reduce_add_epi64(_mm512_add_epi64(low, high));
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

CorrelationSums avx512_correlate(const int32_t* frame, const TableWindow& w, const TableWindow& ahead)
{
    const int32_t length = w.length;
    __m512i s0 = _mm512_setzero_si512(), s1 = s0, c0 = s0, c1 = s0;
    int32_t t = 0;
    for (; t + 32 <= length; t += 32) {
        fetch_ahead(ahead, t);
        const __m512i x0 = _mm512_loadu_si512(frame + t);
        const __m512i x1 = _mm512_loadu_si512(frame + t + 16);
        s0 = _mm512_add_epi32(s0, scaled(x0, widen(w.sine + t)));
        c0 = _mm512_add_epi32(c0, scaled(x0, widen(w.cosine + t)));
        s1 = _mm512_add_epi32(s1, scaled(x1, widen(w.sine + t + 16)));
        c1 = _mm512_add_epi32(c1, scaled(x1, widen(w.cosine + t + 16)));
    }
    for (int32_t rest = t; rest < ahead.length; rest += 32)
        fetch_ahead(ahead, rest);
    for (; t < length; t += 16) {
        const __mmask16 lanes = length - t >= 16 ? static_cast<__mmask16>(0xFFFF) : first_lanes(length - t);
        const __m512i x = _mm512_maskz_loadu_epi32(lanes, frame + t);
        s0 = _mm512_add_epi32(s0, scaled(x, widen_first(w.sine + t, lanes)));
        c0 = _mm512_add_epi32(c0, scaled(x, widen_first(w.cosine + t, lanes)));
    }
    // Each lane holds at most length / 16 terms below 2^17: no 32-bit overflow.
    return {lane_sum(s0) + lane_sum(s1), lane_sum(c0) + lane_sum(c1)};
}

// The fitted values a * sine / 16384 + b * cosine / 16384 of entries t .. t+15 (only `lanes`).
inline __m512i fitted_lanes(const TableWindow& w, int32_t t, __m512i va, __m512i vb, __mmask16 lanes)
{
    return _mm512_add_epi32(scaled(va, widen_first(w.sine + t, lanes)), scaled(vb, widen_first(w.cosine + t, lanes)));
}

// Subtracts fitted values from run[t ..] (only `lanes`); returns the new values' magnitudes.
inline __m512i subtract_lanes(int32_t* run, int32_t t, __m512i fitted, __mmask16 lanes)
{
    const __m512i y = _mm512_sub_epi32(_mm512_maskz_loadu_epi32(lanes, run + t), fitted);
    _mm512_mask_storeu_epi32(run + t, lanes, y);
    return _mm512_abs_epi32(y);
}

// The first run: makes the fitted values (keeping them when later runs need them) and
// subtracts them. Returns the largest magnitudes per lane.
__m512i subtract_first_run(int32_t* frame, int32_t count, const TableWindow& w, int32_t a, int32_t b, int32_t* fitted)
{
    const __m512i va = _mm512_set1_epi32(a);
    const __m512i vb = _mm512_set1_epi32(b);
    const bool kept = count > w.length;
    const int32_t run_length = kept ? w.length : count;
    __m512i peak = _mm512_setzero_si512();
    int32_t t = 0;
    for (; t + 16 <= run_length; t += 16) {
        const __m512i f = _mm512_add_epi32(scaled(va, widen(w.sine + t)), scaled(vb, widen(w.cosine + t)));
        if (kept)
            _mm512_storeu_si512(fitted + t, f);
        const __m512i y = _mm512_sub_epi32(_mm512_loadu_si512(frame + t), f);
        _mm512_storeu_si512(frame + t, y);
        peak = _mm512_max_epi32(peak, _mm512_abs_epi32(y));
    }
    if (t < run_length) {
        const __mmask16 lanes = first_lanes(run_length - t);
        const __m512i f = fitted_lanes(w, t, va, vb, lanes);
        if (kept)
            _mm512_mask_storeu_epi32(fitted + t, lanes, f);
        peak = _mm512_max_epi32(peak, subtract_lanes(frame, t, f, lanes));
    }
    return peak;
}

int64_t avx512_subtract(int32_t* frame, int32_t count, const TableWindow& w, int32_t a, int32_t b, int32_t* fitted)
{
    __m512i peak = subtract_first_run(frame, count, w, a, b, fitted);
    for (int32_t start = w.length; start < count; start += w.length) {
        int32_t* run = frame + start;
        const int32_t run_length = count - start < w.length ? count - start : w.length;
        int32_t t = 0;
        for (; t + 16 <= run_length; t += 16) {
            const __m512i y = _mm512_sub_epi32(_mm512_loadu_si512(run + t), _mm512_loadu_si512(fitted + t));
            _mm512_storeu_si512(run + t, y);
            peak = _mm512_max_epi32(peak, _mm512_abs_epi32(y));
        }
        if (t < run_length) {
            const __mmask16 lanes = first_lanes(run_length - t);
            peak = _mm512_max_epi32(peak, subtract_lanes(run, t, _mm512_maskz_loadu_epi32(lanes, fitted + t), lanes));
        }
    }
    return _mm512_reduce_max_epi32(peak);
}

// The 16 table entries from phase on (past the window's end they repeat its start).
inline __m512i table_run(const int16_t* table, int32_t phase)
{
    return widen(table + phase);
}

// Rings of products of the wave's samples with the table, sine and cosine (see slide_rings).
struct ProductRings {
    int32_t* sine;
    int32_t* cosine;
    int32_t size;
};

inline void keep(int32_t* ring, int32_t size, int32_t position, __m512i products)
{
    _mm512_store_si512(ring + position, products);
    if (position == 0)
        _mm512_store_si512(ring + size, products);
}

// Per-lane changes of one step: entering minus leaving products.
struct StepLanes {
    __m512i sine;
    __m512i cosine;
};

// Walks the steps in order: makes and keeps the products of the samples that enter, and
// reads those of the samples that leave, kept when they entered (or before the first step).
struct StepWalk {
    const TableWindow w;  // a copy: stores into the rings cannot change it
    const ProductRings rings;
    const int16_t* entering;  // the next step's samples
    int32_t phase;            // their table phase, that of the leaving samples too
    int32_t kept;             // where their products go
    int32_t leaving;          // where the products of the leaving samples are

    StepLanes next()
    {
        const __m512i in = widen(entering);
        const __m512i s = scaled(in, table_run(w.sine, phase));
        const __m512i c = scaled(in, table_run(w.cosine, phase));
        keep(rings.sine, rings.size, kept, s);
        keep(rings.cosine, rings.size, kept, c);
        const StepLanes lanes = {_mm512_sub_epi32(s, _mm512_loadu_si512(rings.sine + leaving)),
                                 _mm512_sub_epi32(c, _mm512_loadu_si512(rings.cosine + leaving))};
        entering += 16;
        phase = phase + 16 < w.length ? phase + 16 : phase + 16 - w.length;
        kept = (kept + 16) & (rings.size - 1);
        leaving = (leaving + 16) & (rings.size - 1);
        return lanes;
    }
};

// The products of samples 0 .. length-1, which leave before they could enter: the first
// length mod 16 of them end block 0, the others fill the blocks after it.
void keep_first_window(const int16_t* wave, const TableWindow& w, int32_t phase, const ProductRings& rings)
{
    const int32_t cut = w.length % 16;
    if (cut > 0) {
        const __m512i x = widen_first(wave, first_lanes(cut));
        const __m512i s = scaled(x, table_run(w.sine, phase));
        const __m512i c = scaled(x, table_run(w.cosine, phase));
        for (const int32_t at : {16 - cut, rings.size + 16 - cut}) {
            _mm512_mask_storeu_epi32(rings.sine + at, first_lanes(cut), s);
            _mm512_mask_storeu_epi32(rings.cosine + at, first_lanes(cut), c);
        }
    }
    phase = phase + cut < w.length ? phase + cut : phase + cut - w.length;
    for (int32_t n = cut; n < w.length; n += 16) {
        const __m512i x = widen(wave + n);
        _mm512_store_si512(rings.sine + n + 16 - cut, scaled(x, table_run(w.sine, phase)));
        _mm512_store_si512(rings.cosine + n + 16 - cut, scaled(x, table_run(w.cosine, phase)));
        phase = phase + 16 < w.length ? phase + 16 : phase + 16 - w.length;
    }
}

// Four vectors to one whose 128-bit lane L holds, for each of the four, the sum of its
// elements 4L .. 4L+3.
inline __m512i fold4(__m512i v0, __m512i v1, __m512i v2, __m512i v3)
{
    const __m512i x01 = _mm512_add_epi32(_mm512_unpacklo_epi32(v0, v1), _mm512_unpackhi_epi32(v0, v1));
    const __m512i x23 = _mm512_add_epi32(_mm512_unpacklo_epi32(v2, v3), _mm512_unpackhi_epi32(v2, v3));
    return _mm512_add_epi32(_mm512_unpacklo_epi64(x01, x23), _mm512_unpackhi_epi64(x01, x23));
}

// Four results of fold4 (sixteen vectors) to the sixteen lane sums, in order.
inline __m512i fold16(__m512i w0, __m512i w1, __m512i w2, __m512i w3)
{
    const __m512i u01 = _mm512_add_epi32(_mm512_shuffle_i32x4(w0, w1, _MM_SHUFFLE(2, 0, 2, 0)),
                                         _mm512_shuffle_i32x4(w0, w1, _MM_SHUFFLE(3, 1, 3, 1)));
    const __m512i u23 = _mm512_add_epi32(_mm512_shuffle_i32x4(w2, w3, _MM_SHUFFLE(2, 0, 2, 0)),
                                         _mm512_shuffle_i32x4(w2, w3, _MM_SHUFFLE(3, 1, 3, 1)));
    return _mm512_add_epi32(_mm512_shuffle_i32x4(u01, u23, _MM_SHUFFLE(2, 0, 2, 0)),
                            _mm512_shuffle_i32x4(u01, u23, _MM_SHUFFLE(3, 1, 3, 1)));
}

// Folds of four steps, each a vector whose 128-bit lane L holds the step sums of
// elements 4L .. 4L+3 (see fold4).
struct QuadFolds {
    __m512i sine;
    __m512i cosine;
};

inline QuadFolds quad_folds(StepWalk& walk)
{
    const StepLanes a = walk.next();
    const StepLanes b = walk.next();
    const StepLanes c = walk.next();
    const StepLanes d = walk.next();
    return {fold4(a.sine, b.sine, c.sine, d.sine), fold4(a.cosine, b.cosine, c.cosine, d.cosine)};
}

void avx512_slide(const int16_t* wave, const TableWindow& w, int32_t phase, int32_t steps, int32_t* sine_steps,
                  int32_t* cosine_steps, int32_t* scratch)
{
    const SlideRings at = slide_rings(scratch, w.length);
    const ProductRings rings{at.sine, at.cosine, at.size};
    keep_first_window(wave, w, phase, rings);
    StepWalk walk{w, rings, wave + w.length, phase, at.entering, at.leaving};
    int32_t group = 0;
    for (; group + 16 <= steps; group += 16) {
        const QuadFolds q0 = quad_folds(walk);
        const QuadFolds q1 = quad_folds(walk);
        const QuadFolds q2 = quad_folds(walk);
        const QuadFolds q3 = quad_folds(walk);
        _mm512_storeu_si512(sine_steps + group, fold16(q0.sine, q1.sine, q2.sine, q3.sine));
        _mm512_storeu_si512(cosine_steps + group, fold16(q0.cosine, q1.cosine, q2.cosine, q3.cosine));
    }
    // The last steps one by one (fewer than 16).
    for (; group < steps; ++group) {
        const StepLanes lanes = walk.next();
        sine_steps[group] = _mm512_reduce_add_epi32(lanes.sine);
        cosine_steps[group] = _mm512_reduce_add_epi32(lanes.cosine);
    }
}

// Lanes shifted up by `by` (1, 2 or 4), zeros coming in at lane 0.
template <int by>
inline __m512d shifted_up(__m512d v)
{
    return _mm512_castsi512_pd(_mm512_alignr_epi64(_mm512_castpd_si512(v), _mm512_setzero_si512(), 8 - by));
}

// Running sums of eight steps on top of carry (whose lanes all hold the sum so far).
inline __m512d running_sums(__m512d carry, __m512d steps)
{
    steps = _mm512_add_pd(steps, shifted_up<1>(steps));
    steps = _mm512_add_pd(steps, shifted_up<2>(steps));
    steps = _mm512_add_pd(steps, shifted_up<4>(steps));
    return _mm512_add_pd(carry, steps);
}

inline __m512d last_lane(__m512d v)
{
    return _mm512_permutexvar_pd(_mm512_set1_epi64(7), v);
}

inline __m512d truncated_quotient(__m512d sum, __m512d length)
{
    return _mm512_roundscale_pd(_mm512_div_pd(_mm512_add_pd(sum, sum), length), _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
}

void avx512_pick(const int32_t* sine_steps, const int32_t* cosine_steps, int32_t steps, int32_t length,
                 double& sine_sum, double& cosine_sum, int32_t step, double* best_power, int32_t* best_step)
{
    const __m512d window = _mm512_set1_pd(length);
    const __m256i step_lanes = _mm256_set1_epi32(step);
    __m512d sine_carry = _mm512_set1_pd(sine_sum);
    __m512d cosine_carry = _mm512_set1_pd(cosine_sum);
    for (int32_t s = 0; s < steps; s += 8) {
        const __mmask8 lanes = steps - s >= 8 ? static_cast<__mmask8>(0xFF) : static_cast<__mmask8>((1u << (steps - s)) - 1);
        const __m512d sines = running_sums(sine_carry, _mm512_cvtepi32_pd(_mm256_maskz_loadu_epi32(lanes, sine_steps + s)));
        const __m512d cosines =
            running_sums(cosine_carry, _mm512_cvtepi32_pd(_mm256_maskz_loadu_epi32(lanes, cosine_steps + s)));
        sine_carry = last_lane(sines);
        cosine_carry = last_lane(cosines);
        const __m512d a = truncated_quotient(sines, window);
        const __m512d b = truncated_quotient(cosines, window);
        const __m512d power = _mm512_add_pd(_mm512_mul_pd(a, a), _mm512_mul_pd(b, b));
        const __m512d best = _mm512_maskz_loadu_pd(lanes, best_power + s);
        const __mmask8 larger = _mm512_mask_cmp_pd_mask(lanes, power, best, _CMP_GT_OQ);
        _mm512_mask_storeu_pd(best_power + s, larger, power);
        _mm256_mask_storeu_epi32(best_step + s, larger, step_lanes);
    }
    sine_sum = _mm512_cvtsd_f64(sine_carry);
    cosine_sum = _mm512_cvtsd_f64(cosine_carry);
}

const CorrelationKernels kernels = {"avx512", avx512_correlate, avx512_subtract, avx512_slide, avx512_pick};

} // namespace

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#pragma GCC diagnostic pop
#endif

const CorrelationKernels* avx512_correlation_kernels()
{
    __builtin_cpu_init();
    const bool usable = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                        __builtin_cpu_supports("avx512vl");
    return usable ? &kernels : nullptr;
}

#else

const CorrelationKernels* avx512_correlation_kernels()
{
    return nullptr;
}

#endif
