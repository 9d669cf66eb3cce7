#include "analysis/sinusoid_tables.h"

#include <cmath>

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

struct BandMeans {
    double sine;
    double cosine;
};

// Means of the reference entries lo..hi, wrapping past the end when lo > hi; the entries
// are summed in index order.
BandMeans band_means(const std::vector<double>& ref_sine, const std::vector<double>& ref_cosine,
                     int32_t lo, int32_t hi)
{
    double sine_sum = 0;
    double cosine_sum = 0;
    const int32_t first_end = lo <= hi ? hi + 1 : REFERENCE_TABLE_SIZE;
    for (int32_t k = lo; k < first_end; ++k) {
        sine_sum += ref_sine[index(k)];
        cosine_sum += ref_cosine[index(k)];
    }
    if (lo > hi) {
        for (int32_t k = 0; k <= hi; ++k) {
            sine_sum += ref_sine[index(k)];
            cosine_sum += ref_cosine[index(k)];
        }
    }
    const int32_t count = lo <= hi ? hi - lo + 1 : REFERENCE_TABLE_SIZE - lo + hi + 1;
    return {sine_sum / count, cosine_sum / count};
}

// Fills one fine pitch's window: each sample is the reference averaged over half a sample
// around its exact phase (which smooths the high pitches), minus the window's mean.
void fill_window(int32_t fine, const std::vector<double>& ref_sine, const std::vector<double>& ref_cosine,
                 std::vector<double>& raw_sine, std::vector<double>& raw_cosine)
{
    AnalysisTables& t = analysis_tables;
    const int32_t length = t.window_length[index(fine)];
    const double step = REFERENCE_TABLE_SIZE / t.period[index(fine)];
    for (int32_t s = 0; s < length; ++s) {
        int32_t lo = static_cast<int32_t>(s * step - step * 0.25);
        int32_t hi = static_cast<int32_t>(s * step + step * 0.25);
        if (lo < 0)
            lo += REFERENCE_TABLE_SIZE;
        if (lo > REFERENCE_TABLE_SIZE - 1)
            lo %= REFERENCE_TABLE_SIZE;
        if (hi > REFERENCE_TABLE_SIZE - 1)
            hi %= REFERENCE_TABLE_SIZE;
        const BandMeans means = band_means(ref_sine, ref_cosine, lo, hi);
        raw_sine[index(s)] = means.sine;
        raw_cosine[index(s)] = means.cosine;
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
            running_total += t.window_length[p];
            if (j == TEMPERED_STEP)
                note_window_length[note] = t.window_length[p];
            x += 1.0 / 24;
        }
    }
    t.frame.assign(index(conversion_settings.FFT_SIZE), 0);
    t.sliding_sine.assign(total, 0);
    t.sliding_cosine.assign(total, 0);
}

void build_sinusoid_tables()
{
    AnalysisTables& t = analysis_tables;
    const int32_t total = static_cast<int32_t>(t.window_length.size());
    const size_t table_size = total == 0 ? 0 : index(t.table_offset[index(total - 1)] + t.window_length[index(total - 1)]);
    t.sine.assign(table_size, 0);
    t.cosine.assign(table_size, 0);
    if (total == 0)
        return;

    std::vector<double> ref_sine(REFERENCE_TABLE_SIZE);
    std::vector<double> ref_cosine(REFERENCE_TABLE_SIZE);
    for (int32_t k = 0; k < REFERENCE_TABLE_SIZE; ++k) {
        ref_sine[index(k)] = TABLE_AMPLITUDE * std::sin(k * REFERENCE_PHASE_STEP);
        ref_cosine[index(k)] = TABLE_AMPLITUDE * std::cos(k * REFERENCE_PHASE_STEP);
    }
    std::vector<double> raw_sine(REFERENCE_TABLE_SIZE);
    std::vector<double> raw_cosine(REFERENCE_TABLE_SIZE);
    for (int32_t i = 0; i < t.grid.note_count; ++i) {
        for (int32_t j = 0; j < t.grid.fine_count[i]; ++j)
            fill_window(t.grid.first_fine[i] + j, ref_sine, ref_cosine, raw_sine, raw_cosine);
        report_progress(PROGRESS_TABLES, t.grid.first_fine[i] * 100 / t.grid.total_fine);
    }
}

void free_analysis_tables()
{
    analysis_tables = AnalysisTables{};
}
