#include "analysis/analyse_wave.h"

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "analysis/analysis_file.h"
#include "analysis/frame_analysis.h"
#include "analysis/sinusoid_tables.h"
#include "core/file_io.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/settings_check.h"
#include "core/status.h"
#include "wave/wav_reader.h"

namespace {

constexpr int32_t PROGRESS_EVERY = 10;

void refuse(const std::string& text)
{
    show_message(ANALYSIS_CAPTION, text.c_str());
}

// The frame that was output last: written only when a later frame is output, since the
// later frame's position gives its duration.
struct PendingFrame {
    std::vector<FrameNoteRecord> records;
    int32_t count = 0;
    int32_t position = 0;  // last_out
};

struct RunTotals {
    int32_t written = 0;
    int32_t largest_level = 0;
};

void write_pending(std::FILE* file, const PendingFrame& pending, int32_t position, RunTotals& totals)
{
    const std::span<const FrameNoteRecord> records(pending.records.data(), static_cast<size_t>(pending.count));
    write_analysis_block(file, records, pending.position, (position - pending.position) * DURATION_PERCENT / 100);
    for (const FrameNoteRecord& r : records)
        totals.largest_level = std::max(totals.largest_level, r.level);
    totals.written += pending.count;
}

// Every frame of the wave in 16-sample steps, until the end or a stop request.
RunTotals analyse_frames(std::FILE* file)
{
    const int32_t frame_size = conversion_settings.FFT_SIZE;
    const int32_t note_count = analysis_tables.grid.note_count;
    const int32_t wave_length =
        static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(std::max(wave_data.frame_count, 0)), wave_data.samples.size()));
    const int32_t frames = (wave_length - frame_size) / ANALYSIS_STEP;

    std::vector<FrameNoteRecord> current(static_cast<size_t>(note_count));
    PendingFrame pending;
    pending.records.resize(static_cast<size_t>(note_count));
    auto state = std::make_unique<AnalysisState>();
    RunTotals totals;
    for (int32_t k = 0; k < frames; ++k) {
        const int32_t position = ANALYSIS_STEP * k;
        const int32_t advance = k == 0 ? 0 : ANALYSIS_STEP;
        const int32_t retire = k == frames - 1 ? 0 : ANALYSIS_STEP;
        const int32_t force = (k == 0 || k == frames - 1 || position - pending.position >= frame_size / 2) ? 1 : 0;
        const int32_t n = analyse_frame(wave_data.samples.data() + position, current.data(), position, advance,
                                        retire, force, *state);
        if (n > 0) {
            if (position > pending.position)
                write_pending(file, pending, position, totals);
            pending.position = position;
            std::copy(current.begin(), current.begin() + n, pending.records.begin());
            pending.count = n;
        }
        if (k % PROGRESS_EVERY == 0)
            report_progress(PROGRESS_ANALYSIS, static_cast<int32_t>(position * 100.0 / wave_length));
        if (conversion_status.stop_request)
            break;
    }
    return totals;
}

// Header, tables and frames into an open file. Returns the records written.
int32_t run_analysis(std::FILE* file)
{
    write_analysis_first_line(file);
    build_pitch_grid();
    plan_sinusoid_windows();
    build_sinusoid_tables();
    write_analysis_header(file);
    const RunTotals totals = analyse_frames(file);
    max_level = totals.largest_level;
    return totals.written;
}

} // namespace

int32_t analyse_wave()
{
    analysis_record_count = 0;
    max_level = 0;
    if (const char* problem = analysis_settings_problem()) {
        refuse(problem);
        return 0;
    }
    char path[PATH_CAPACITY];
    if (!make_analysis_path(conversion_status.current_path, path, sizeof path, "fft")) {
        const std::string wave_path(conversion_status.current_path, strnlen(conversion_status.current_path, PATH_CAPACITY));
        refuse("Cannot name the analysis file for \"" + wave_path + "\": the file name needs an extension other than .fft, such as .wav.");
        return 0;
    }
    ReplacingFile file(path);
    if (!file) {
        refuse(std::string("Cannot create the analysis file \"") + path + "\".");
        return 0;
    }
    int32_t written = 0;
    bool complete = true;
    try {
        written = run_analysis(file.get());
    } catch (const std::bad_alloc&) {
        refuse("Not enough memory for the frequency analysis.");
        complete = false;
    }
    free_analysis_tables();
    // Only a complete file replaces the analysis left by an earlier run.
    if (complete && !file.commit()) {
        refuse(std::string("The analysis file \"") + path + "\" could not be written completely.");
        complete = false;
    }
    if (!complete) {
        written = 0;
        max_level = 0;
    }
    analysis_record_count = written;
    return written;
}
