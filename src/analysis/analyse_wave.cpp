#include "analysis/analyse_wave.h"

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "analysis/analysis_file.h"
#include "analysis/frame_pipeline.h"
#include "analysis/sinusoid_tables.h"
#include "core/file_io.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/settings_check.h"
#include "core/status.h"
#include "core/worker_pool.h"
#include "wave/wav_reader.h"

namespace {

// The file grows by megabytes per second of audio: write it in large pieces.
constexpr size_t ANALYSIS_FILE_BUFFER = size_t{1} << 20;

void refuse(const std::string& text)
{
    show_message(ANALYSIS_CAPTION, text.c_str());
}

// Header, tables and frames into an open file. Returns the records written.
int32_t run_analysis(std::FILE* file)
{
    write_analysis_first_line(file);
    build_pitch_grid();
    plan_sinusoid_windows();
    const auto pool = std::make_unique<WorkerPool>();
    build_sinusoid_tables(pool.get());
    write_analysis_header(file);
    const AnalysisTotals totals = analyse_frames(file, *pool);
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
    std::setvbuf(file.get(), nullptr, _IOFBF, ANALYSIS_FILE_BUFFER);
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
