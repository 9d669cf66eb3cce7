#include "analysis/sinusoid_tables.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cmath>
#include <memory>

#include "core/settings.h"
#include "core/settings_check.h"
#include "core/status.h"
#include "wave/wav_reader.h"

AnalysisTables analysis_tables;

namespace {


size_t index(int32_t value)
{
    return static_cast<size_t>(value);
}

// Window length for one fine pitch: the whole cycles that fit the frame, at most
// MAX_ANAL_CYCLE of them, and never shorter than one analysis step.
int32_t window_length_for(double period)
{
    const int32_t frame_size = conversion_settings.FFT_SIZE;
    int32_t cycles = static_cast<int32_t>(frame_size / period);
    if (cycles > conversion_settings.MAX_ANAL_CYCLE)
        cycles = conversion_settings.MAX_ANAL_CYCLE;
    else if (cycles == 0)
        cycles = 1;
    int32_t length = static_cast<int32_t>(cycles * period);
    if (length > frame_size)
        length = frame_size;
    // A negative cycle count would only count up to 0 here without reaching 16 samples;
    // starting from 0 gives the same window without the long walk.
    if (length < ANALYSIS_STEP && cycles < 0)
        cycles = 0;
    while (length < ANALYSIS_STEP) {
        ++cycles;
        length = static_cast<int32_t>(cycles * period);
    }
    return length;
}

// The reference sine and cosine side by side (entry k at 2k and 2k + 1), followed by a second
// turn, so that a span running past the end of the turn reads on without wrapping its index,
// and one load brings an entry's sine and cosine together.
struct Reference {
    std::vector<double> pairs;
};

Reference make_reference()
{
    Reference r{std::vector<double>(4 * REFERENCE_TABLE_SIZE)};
    for (int32_t k = 0; k < REFERENCE_TABLE_SIZE; ++k) {
        const double sine = TABLE_AMPLITUDE * std::sin(k * REFERENCE_PHASE_STEP);
        const double cosine = TABLE_AMPLITUDE * std::cos(k * REFERENCE_PHASE_STEP);
        for (int32_t turn = 0; turn < 2; ++turn) {
            r.pairs[index(2 * (k + turn * REFERENCE_TABLE_SIZE))] = sine;
            r.pairs[index(2 * (k + turn * REFERENCE_TABLE_SIZE) + 1)] = cosine;
        }
    }
    return r;
}

// The reference span of one window sample: half a sample around its exact phase.
struct Span {
    int32_t first;  // 0 .. 32767
    int32_t count;  // entries, read in index order, wrapping past the end of the turn
};

Span span_of(int32_t s, double step)
{
    int32_t lo = static_cast<int32_t>(s * step - step * 0.25);
    int32_t hi = static_cast<int32_t>(s * step + step * 0.25);
    if (lo < 0)
        lo += REFERENCE_TABLE_SIZE;
    if (lo > REFERENCE_TABLE_SIZE - 1)
        lo %= REFERENCE_TABLE_SIZE;
    if (hi > REFERENCE_TABLE_SIZE - 1)
        hi %= REFERENCE_TABLE_SIZE;
    return {lo, lo <= hi ? hi - lo + 1 : REFERENCE_TABLE_SIZE - lo + hi + 1};
}

constexpr int32_t INTERLEAVED = 4;

// Means of the spans of window samples first .. first + 3 into raw. Every mean sums its
// entries one after another in index order, as a plain loop would; the four sums only run
// side by side, which keeps the processor's adders busy.
void four_means(const Reference& ref, const Span* spans, double* raw_sine, double* raw_cosine)
{
    // sums[2u] and sums[2u + 1]: the sine and cosine sums of span u, each added in order.
    double sums[2 * INTERLEAVED] = {};
    const double* pairs[INTERLEAVED];
    int32_t shared = spans[0].count;
    for (int32_t u = 0; u < INTERLEAVED; ++u) {
        pairs[u] = ref.pairs.data() + 2 * spans[u].first;
        shared = std::min(shared, spans[u].count);
    }
    for (int32_t m = 0; m < shared; ++m) {
        for (int32_t u = 0; u < INTERLEAVED; ++u) {
            sums[2 * u] += pairs[u][2 * m];
            sums[2 * u + 1] += pairs[u][2 * m + 1];
        }
    }
    for (int32_t u = 0; u < INTERLEAVED; ++u) {
        for (int32_t m = shared; m < spans[u].count; ++m) {
            sums[2 * u] += pairs[u][2 * m];
            sums[2 * u + 1] += pairs[u][2 * m + 1];
        }
        raw_sine[u] = sums[2 * u] / spans[u].count;
        raw_cosine[u] = sums[2 * u + 1] / spans[u].count;
    }
}

// Fills one fine pitch's window: each sample is the reference averaged over half a sample
// around its exact phase (which smooths the high pitches), minus the window's mean.
void fill_window(int32_t fine, const Reference& ref, std::vector<double>& raw_sine, std::vector<double>& raw_cosine)
{
    AnalysisTables& t = analysis_tables;
    const int32_t length = t.window_length[index(fine)];
    const double step = REFERENCE_TABLE_SIZE / t.period[index(fine)];
    for (int32_t s = 0; s < length; s += INTERLEAVED) {
        Span spans[INTERLEAVED];
        for (int32_t u = 0; u < INTERLEAVED; ++u)
            spans[u] = s + u < length ? span_of(s + u, step) : Span{0, 1};
        four_means(ref, spans, raw_sine.data() + s, raw_cosine.data() + s);
    }
    double sine_sum = 0;
    double cosine_sum = 0;
    for (int32_t s = 0; s < length; ++s) {
        sine_sum += raw_sine[index(s)];
        cosine_sum += raw_cosine[index(s)];
    }
    const double sine_mean = sine_sum / length;
    const double cosine_mean = cosine_sum / length;
    const size_t offset = index(t.table_offset[index(fine)]);
    for (int32_t s = 0; s < length; ++s) {
        t.sine[offset + index(s)] = static_cast<int16_t>(static_cast<int32_t>(raw_sine[index(s)] - sine_mean));
        t.cosine[offset + index(s)] = static_cast<int16_t>(static_cast<int32_t>(raw_cosine[index(s)] - cosine_mean));
    }
    for (int32_t s = 0; s < WINDOW_REPEAT; ++s) {
        t.sine[offset + index(length + s)] = t.sine[offset + index(s % length)];
        t.cosine[offset + index(length + s)] = t.cosine[offset + index(s % length)];
    }
}

// Scratch of one worker: the raw window before its mean is removed (padded to whole groups
// of four samples).
struct RawWindow {
    std::vector<double> sine = std::vector<double>(REFERENCE_TABLE_SIZE + INTERLEAVED);
    std::vector<double> cosine = std::vector<double>(REFERENCE_TABLE_SIZE + INTERLEAVED);
};

// Fills the windows of notes first .. last - 1, fine pitches shared among the pool's workers.
void fill_notes(int32_t first, int32_t last, const Reference& ref, WorkerPool& pool, std::vector<RawWindow>& raw)
{
    const PitchGrid& grid = analysis_tables.grid;
    const int32_t begin = grid.first_fine[first];
    const int32_t end = grid.first_fine[last - 1] + grid.fine_count[last - 1];
    std::atomic<int32_t> next{begin};
    pool.run([&](int32_t worker) {
        RawWindow& w = raw[index(worker)];
        for (int32_t fine = next++; fine < end; fine = next++)
            fill_window(fine, ref, w.sine, w.cosine);
    });
}

} // namespace

void build_pitch_grid()
{
    PitchGrid& grid = analysis_tables.grid;
    grid = PitchGrid{};
    const int32_t key_min = conversion_settings.KEY_MIN;
    for (int32_t i = 0; i < MIDI_NOTE_COUNT && key_min <= conversion_settings.KEY_MAX - i; ++i) {
        grid.midi_note[i] = key_min + i;
        grid.fine_count[i] = FINE_STEPS;
        grid.first_fine[i] = FINE_STEPS * i;
        grid.note_count = i + 1;
    }
    grid.total_fine = FINE_STEPS * grid.note_count;
}

void plan_sinusoid_windows()
{
    AnalysisTables& t = analysis_tables;
    const size_t total = index(t.grid.total_fine);
    t.period.assign(total, 0.0);
    t.window_length.assign(total, 0);
    t.table_offset.assign(total, 0);
    if (analysis_settings_problem()) {
        t.period.clear();
        t.window_length.clear();
        t.table_offset.clear();
        return;
    }
    int32_t running_total = 0;
    for (int32_t i = 0; i < t.grid.note_count; ++i) {
        const int32_t note = t.grid.midi_note[i];
        double x = -0.5;  // semitones from the tempered note
        for (int32_t j = 0; j < t.grid.fine_count[i]; ++j) {
            const size_t p = index(t.grid.first_fine[i] + j);
            const double frequency = REFERENCE_PITCH * std::pow(2.0, (note - 69 + x) / 12);
            t.period[p] = static_cast<double>(WAVE_SAMPLE_RATE) / frequency;
            t.window_length[p] = window_length_for(t.period[p]);
            t.table_offset[p] = running_total;
            running_total += t.window_length[p] + WINDOW_REPEAT;
            if (j == TEMPERED_STEP)
                note_window_length[note] = t.window_length[p];
            x += 1.0 / 24;
        }
    }
    t.frames.assign(1, FrameBuffer{std::vector<int32_t>(index(conversion_settings.FFT_SIZE), 0),
                                   std::vector<int32_t>(index(longest_window_length())), 0});
    t.sliding_sine.assign(total, 0);
    t.sliding_cosine.assign(total, 0);
}

void build_sinusoid_tables(WorkerPool* pool)
{
    AnalysisTables& t = analysis_tables;
    const int32_t total = static_cast<int32_t>(t.window_length.size());
    const size_t table_size =
        total == 0 ? 0 : index(t.table_offset[index(total - 1)] + t.window_length[index(total - 1)] + WINDOW_REPEAT);
    t.sine.clear();
    t.cosine.clear();
    t.sine.resize(table_size);  // every entry is filled below
    t.cosine.resize(table_size);
    if (total == 0)
        return;

    std::unique_ptr<WorkerPool> own_pool;
    if (!pool) {
        own_pool = std::make_unique<WorkerPool>(1);
        pool = own_pool.get();
    }
    const Reference ref = make_reference();
    std::vector<RawWindow> raw(index(pool->size()));
    // A few notes at a time, so that progress is reported after each note as it is built.
    constexpr int32_t NOTES_AT_ONCE = 4;
    for (int32_t first = 0; first < t.grid.note_count; first += NOTES_AT_ONCE) {
        const int32_t last = std::min(first + NOTES_AT_ONCE, t.grid.note_count);
        fill_notes(first, last, ref, *pool, raw);
        for (int32_t i = first; i < last; ++i)
            report_progress(PROGRESS_TABLES, t.grid.first_fine[i] * 100 / t.grid.total_fine);
    }
}

void free_analysis_tables()
{
    analysis_tables = AnalysisTables{};
}

TableWindow fine_pitch_window(int32_t fine)
{
    const AnalysisTables& t = analysis_tables;
    const size_t offset = index(t.table_offset[index(fine)]);
    return {t.sine.data() + offset, t.cosine.data() + offset, t.window_length[index(fine)]};
}

TableWindow note_window(int32_t note_index, int32_t fine_step)
{
    assert(note_index >= 0 && note_index < analysis_tables.grid.note_count && fine_step >= 0 && fine_step < FINE_STEPS);
    return fine_pitch_window(analysis_tables.grid.first_fine[note_index] + fine_step);
}

int32_t longest_window_length()
{
    const std::vector<int32_t>& lengths = analysis_tables.window_length;
    return lengths.empty() ? 0 : *std::max_element(lengths.begin(), lengths.end());
}
