// The inner loops of the analysis: correlating a frame with one fine pitch's window,
// subtracting a fitted sinusoid, and the 16-sample steps of the sliding correlation. Every
// sample-by-table product is divided by 16384 toward zero before it is summed.
//
// Several sets exist (plain C++, AVX2, AVX-512); the fastest one the processor runs is chosen
// at run time, and every set gives the same sums. The sets work in 32-bit lanes, so the
// callers keep to the narrow range below and use the 64-bit versions in correlation.h
// otherwise.
#pragma once

#include <cstdint>
#include <span>

// Table entries are int16, so |entry| <= 32768. A frame value v may go through a narrow
// kernel when |v| * 32768 + 16383 fits 32 bits: |v| <= NARROW_FRAME_LIMIT.
inline constexpr int64_t NARROW_FRAME_LIMIT = 65535;

struct CorrelationSums {
    int64_t sine = 0;    // sum of frame[t] * sine[t] / 16384
    int64_t cosine = 0;  // sum of frame[t] * cosine[t] / 16384
    bool operator==(const CorrelationSums&) const = default;
};

// Entries after the end of every window that repeat its first ones, so that a run of 16
// entries starting anywhere in the window reads on without wrapping its index.
inline constexpr int32_t WINDOW_REPEAT = 16;

// One fine pitch's window: length entries of sine and of cosine, each followed by
// WINDOW_REPEAT entries that continue it from its start (the slide reads them).
struct TableWindow {
    const int16_t* sine = nullptr;
    const int16_t* cosine = nullptr;
    int32_t length = 0;
};

// The slide's scratch: rings of `size` products of samples with the table, sine and cosine,
// each followed by a copy of its first 16 values (so that 16 values read from any place are
// in order) and aligned to 64 bytes. The products of sample n sit at
// (n + 16 - length mod 16) mod size, so the 16 samples that enter in one step fill one
// aligned block; leaving and entering are the places of samples 0 and length.
struct SlideRings {
    int32_t* sine;
    int32_t* cosine;
    int32_t size;
    int32_t leaving;
    int32_t entering;
};

// A window and 16 samples more, rounded up to a power of two: positions wrap by a mask.
inline constexpr int32_t slide_ring_size(int32_t length)
{
    int32_t size = 32;
    while (size < 16 * (length / 16 + 2))
        size *= 2;
    return size;
}

// The scratch the slide needs for a window of length samples, in 32-bit values: both rings
// with their copies, and room to align them.
inline constexpr int32_t slide_scratch_size(int32_t length)
{
    return 2 * (slide_ring_size(length) + 16) + 16;
}

inline SlideRings slide_rings(int32_t* scratch, int32_t length)
{
    const auto misalignment = static_cast<int32_t>(reinterpret_cast<uintptr_t>(scratch) / sizeof(int32_t) % 16);
    int32_t* sine = scratch + (16 - misalignment) % 16;
    const int32_t size = slide_ring_size(length);
    return {sine, sine + size + 16, size, 16 - length % 16, 16 * (length / 16 + 1)};
}

struct CorrelationKernels {
    const char* name;

    // Sums over t = 0 .. length-1 with table phase t. |frame[t]| <= NARROW_FRAME_LIMIT.
    // ahead is the window the caller reads next (length 0: none): its entries are fetched
    // towards the cache while this one is worked through, a line per step.
    CorrelationSums (*correlate)(const int32_t* frame, const TableWindow& window, const TableWindow& ahead);

    // frame[t] -= a * sine[t mod length] / 16384 + b * cosine[t mod length] / 16384 for
    // t = 0 .. count-1. Needs |a|, |b| <= NARROW_FRAME_LIMIT and results within 32 bits.
    // Returns the largest |frame[t]| over t < count afterwards (0 for count 0). The fitted
    // values repeat every length samples: they are made once, kept in `fitted` (room for
    // length values) and subtracted again from the later runs.
    int64_t (*subtract)(int32_t* frame, int32_t count, const TableWindow& window, int32_t a, int32_t b,
                        int32_t* fitted);

    // The change of the sliding sums from one frame to the next, for `steps` frames. Step s
    // covers the 16 samples n = 16s .. 16s+15 of wave, which leave the window, and the 16
    // samples n + length, which enter it; both meet table phase (phase + n) mod length:
    //   sine_steps[s] = sum over those n of wave[n+length]*sine/16384 - wave[n]*sine/16384
    // and likewise cosine_steps[s]. Reads wave[0 .. 16*steps + length - 1]; needs
    // length >= 16 and slide_scratch_size(length) values of scratch. A sample's product is
    // the same when it enters and when it leaves, so each is made once and kept in scratch
    // until it leaves: the work grows with 16 * steps + length samples.
    void (*slide)(const int16_t* wave, const TableWindow& window, int32_t phase, int32_t steps, int32_t* sine_steps,
                  int32_t* cosine_steps, int32_t* scratch);

    // Runs the sliding sums of one fine pitch through `steps` frames: frame s adds
    // sine_steps[s] and cosine_steps[s], then has the power a*a + b*b with
    // a = trunc(2 * sine_sum / length) and b likewise, and takes best_power[s] and
    // best_step[s] = step when that power is larger. The sums and powers are whole numbers
    // held exactly in doubles: over 16-bit samples |sum| <= length * 2^16, so |a|, |b| <= 2^17.
    void (*pick)(const int32_t* sine_steps, const int32_t* cosine_steps, int32_t steps, int32_t length,
                 double& sine_sum, double& cosine_sum, int32_t step, double* best_power, int32_t* best_step);
};

// The set in use: the fastest one the processor runs, unless use_correlation_kernels chose one.
const CorrelationKernels& correlation_kernels();

// Every set this processor runs, plain C++ first and the fastest last.
std::span<const CorrelationKernels* const> available_correlation_kernels();

// Makes kernels the set in use (tests compare the sets and plain versions this way);
// nullptr goes back to the fastest. Not to be called while an analysis runs.
void use_correlation_kernels(const CorrelationKernels* kernels);

// The x86 sets; nullptr where the build or the processor has none.
const CorrelationKernels* avx2_correlation_kernels();
const CorrelationKernels* avx512_correlation_kernels();
