#include "analysis/frame_pipeline.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <span>
#include <vector>

#include "analysis/analysis_file.h"
#include "analysis/continuity.h"
#include "analysis/frame_analysis.h"
#include "analysis/sinusoid_tables.h"
#include "analysis/sliding_search.h"
#include "core/file_io.h"
#include "core/settings.h"
#include "core/status.h"
#include "wave/wav_reader.h"

namespace {

constexpr int32_t PROGRESS_EVERY = 10;
// Frames searched and analysed together: enough to keep every core busy between the short
// sequential passes, few enough that a stop request is honoured quickly.
constexpr int32_t BATCH_FRAMES = 2048;
// Output frames a worker takes at a time in the pursuit.
constexpr int32_t FRAMES_TAKEN = 8;

// The frame that was output last: written only when a later frame is output, since the
// later frame's position gives its duration.
struct PendingFrame {
    std::vector<FrameNoteRecord> records;
    int32_t count = 0;
    int32_t position = 0;  // last_out
};

void write_pending(std::FILE* file, const PendingFrame& pending, int32_t position, AnalysisTotals& totals,
                   std::vector<char>& text)
{
    const std::span<const FrameNoteRecord> records(pending.records.data(), static_cast<size_t>(pending.count));
    write_analysis_block(file, records, pending.position, (position - pending.position) * DURATION_PERCENT / 100,
                         text);
    for (const FrameNoteRecord& r : records)
        totals.largest_level = std::max(totals.largest_level, r.level);
    totals.written += pending.count;
}

// One batch of consecutive frames on its way through the run.
struct Batch {
    SlidingBatch sliding;
    // Per worker, the sum of the power changes of the notes it searched, per frame.
    std::vector<std::vector<int32_t>> change_sums;
    std::vector<int32_t> output_frames;  // frames of the batch to output, as offsets in it
    std::vector<int32_t> levels;         // compressed levels, note_count per output frame
};

// What lasts from the first frame to the last.
struct Run {
    std::FILE* file = nullptr;
    const int16_t* wave = nullptr;
    int32_t wave_length = 0;
    int32_t frames = 0;
    int32_t note_count = 0;
    std::vector<int32_t> first_frame;  // the samples of frame 0 as 32-bit values
    WorkerPool* pool = nullptr;
    std::vector<SlidingScratch> scratch;  // one per worker
    AnalysisState state;
    int32_t decided_out = 0;  // position of the last frame chosen for output so far
    std::vector<FrameNoteRecord> current;
    PendingFrame pending;
    AnalysisTotals totals;
    std::vector<char> text;  // the block being written
};

// Sets the batch to the frames from first on (as many as fit and remain).
void place_batch(const Run& run, Batch& batch, int32_t first)
{
    batch.sliding.first_frame = first;
    batch.sliding.frame_count = std::min(BATCH_FRAMES, run.frames - first);
}

// Which frames are output: forced ones, and those whose spectrum changed enough.
void choose_output_frames(Run& run, Batch& batch)
{
    const SlidingBatch& sliding = batch.sliding;
    const int32_t half_frame = conversion_settings.FFT_SIZE / 2;
    batch.output_frames.clear();
    for (int32_t f = 0; f < sliding.frame_count; ++f) {
        const int32_t k = sliding.first_frame + f;
        const int32_t position = ANALYSIS_STEP * k;
        int32_t total = 0;
        for (const std::vector<int32_t>& change_sum : batch.change_sums)
            total += change_sum[static_cast<size_t>(f)];
        const int32_t average_change = run.note_count > 0 ? total / run.note_count : 0;
        const bool force = k == 0 || k == run.frames - 1 || position - run.decided_out >= half_frame;
        if (force || average_change >= conversion_settings.VARY_RATE) {
            batch.output_frames.push_back(f);
            run.decided_out = position;
        }
    }
    batch.levels.resize(batch.output_frames.size() * static_cast<size_t>(run.note_count));
}

// Residual pursuit, corrections and compression of the output frame at index o of the batch.
void analyse_output(const Run& run, Batch& batch, int32_t o, FrameBuffer& frame)
{
    const SlidingBatch& sliding = batch.sliding;
    const int32_t f = batch.output_frames[static_cast<size_t>(o)];
    int64_t best_power[MIDI_NOTE_COUNT];
    int32_t best_step[MIDI_NOTE_COUNT];
    for (int32_t i = 0; i < run.note_count; ++i) {
        best_power[i] = static_cast<int64_t>(sliding.best_power[sliding.at(i, f)]);
        best_step[i] = sliding.best_step[sliding.at(i, f)];
    }
    const int16_t* samples = run.wave + ANALYSIS_STEP * (sliding.first_frame + f);
    analyse_output_frame(samples, best_power, best_step, frame,
                         batch.levels.data() + static_cast<size_t>(o) * static_cast<size_t>(run.note_count));
}

// Continuity of one output frame, in frame order, into run.current.
void complete_records(Run& run, const Batch& batch, int32_t output, int32_t f)
{
    const SlidingBatch& sliding = batch.sliding;
    const int32_t* levels = batch.levels.data() + static_cast<size_t>(output) * static_cast<size_t>(run.note_count);
    int32_t steps[MIDI_NOTE_COUNT];
    for (int32_t i = 0; i < run.note_count; ++i)
        steps[i] = sliding.best_step[sliding.at(i, f)];
    int32_t continuity[MIDI_NOTE_COUNT];
    decide_continuity(run.note_count, levels, steps, run.state, continuity);
    for (int32_t i = 0; i < run.note_count; ++i)
        run.current[static_cast<size_t>(i)] = {levels[i], analysis_tables.grid.midi_note[i], steps[i], continuity[i]};
}

// The batch's frames in order, as the sequential analysis sees them: output frames get
// their continuity and move the pending frame to the file; progress every tenth frame;
// the stop request after every frame. False when a stop request ended the run.
bool finish_batch(Run& run, const Batch& batch)
{
    size_t next_output = 0;
    for (int32_t f = 0; f < batch.sliding.frame_count; ++f) {
        const int32_t k = batch.sliding.first_frame + f;
        const int32_t position = ANALYSIS_STEP * k;
        if (next_output < batch.output_frames.size() && batch.output_frames[next_output] == f) {
            complete_records(run, batch, static_cast<int32_t>(next_output), f);
            ++next_output;
            if (position > run.pending.position)
                write_pending(run.file, run.pending, position, run.totals, run.text);
            run.pending.position = position;
            std::copy(run.current.begin(), run.current.end(), run.pending.records.begin());
            run.pending.count = run.note_count;
        }
        if (k % PROGRESS_EVERY == 0)
            report_progress(PROGRESS_ANALYSIS, static_cast<int32_t>(position * 100.0 / run.wave_length));
        if (conversion_status.stop_request)
            return false;
    }
    // Megabytes a second of audio: the disk gets them while the analysis goes on, rather than
    // all at the final flush.
    start_writing_back(run.file);
    return true;
}

// The work of one parallel phase: the pursuit of one batch's output frames and the search of
// the next batch's notes, taken a few frames or one note at a time.
struct SharedWork {
    Batch* pursued = nullptr;
    Batch* searched = nullptr;
    std::atomic<int32_t> next_output{0};
    std::atomic<int32_t> next_note{0};
    std::atomic<bool> stopped{false};
};

// A few neighbouring output frames of the pursued batch; false when none is left. Near the
// end of the batch a worker takes fewer, so that the workers finish at about the same time.
bool take_pursuit(Run& run, SharedWork& work, int32_t worker)
{
    if (!work.pursued)
        return false;
    const int32_t outputs = static_cast<int32_t>(work.pursued->output_frames.size());
    const int32_t share = 2 * run.pool->size();
    int32_t first = work.next_output.load();
    int32_t count = 0;
    do {
        if (first >= outputs)
            return false;
        count = std::clamp((outputs - first) / share, 1, FRAMES_TAKEN);
    } while (!work.next_output.compare_exchange_weak(first, first + count));
    for (int32_t o = first; o < first + count; ++o)
        analyse_output(run, *work.pursued, o, analysis_tables.frames[static_cast<size_t>(worker)]);
    return true;
}

// One note of the searched batch; false when none is left.
bool take_search(Run& run, SharedWork& work, int32_t worker)
{
    if (!work.searched)
        return false;
    const int32_t i = work.next_note++;
    if (i >= run.note_count)
        return false;
    search_note(run.wave, run.first_frame.data(), i, work.searched->sliding, run.state.prev_power[i],
                run.scratch[static_cast<size_t>(worker)],
                work.searched->change_sums[static_cast<size_t>(worker)].data());
    return true;
}

// Takes work until none is left or the run stops. The calling thread prefers the pursuit and
// the others the search, so that one core waits on memory for tables while another computes.
void share_work(Run& run, SharedWork& work, int32_t worker)
{
    while (!work.stopped) {
        const bool took = worker == 0 ? take_pursuit(run, work, worker) || take_search(run, work, worker)
                                      : take_search(run, work, worker) || take_pursuit(run, work, worker);
        if (!took)
            return;
    }
}

// Gets a batch ready for its search: its frames from first on, its change sums cleared.
void start_batch(const Run& run, Batch& batch, int32_t first)
{
    place_batch(run, batch, first);
    for (std::vector<int32_t>& change_sum : batch.change_sums)
        std::fill(change_sum.begin(), change_sum.end(), 0);
}

} // namespace

// Every frame of the wave in 16-sample steps, until the end or a stop request. Frames go
// through in batches, three at a time: while the calling thread finishes one batch (in frame
// order: continuity, the pending-frame rule and the blocks of the file, progress every tenth
// frame and the stop request after every frame, exactly as a frame-by-frame run would), the
// workers pursue the output frames of the next batch, frame by frame, and search the batch
// after that, note by note; the calling thread joins them when it is done. Between these
// phases the calling thread chooses the output frames of the batch just searched. A stop
// request seen after frame k ends the run there: the frames after k (already analysed, or
// being analysed) are dropped, so the file is the one a frame-by-frame run stopping after
// frame k writes.
AnalysisTotals analyse_frames(std::FILE* file, WorkerPool& pool)
{
    Run run;
    run.file = file;
    run.pool = &pool;
    const int32_t frame_size = conversion_settings.FFT_SIZE;
    run.note_count = analysis_tables.grid.note_count;
    run.wave = wave_data.samples.data();
    run.wave_length =
        static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(std::max(wave_data.frame_count, 0)), wave_data.samples.size()));
    run.frames = (run.wave_length - frame_size) / ANALYSIS_STEP;
    if (run.frames <= 0)
        return run.totals;

    run.first_frame.assign(run.wave, run.wave + frame_size);
    const size_t workers = static_cast<size_t>(run.pool->size());
    run.scratch.assign(workers, SlidingScratch(BATCH_FRAMES, longest_window_length()));
    analysis_tables.frames.resize(workers, analysis_tables.frames.front());
    run.current.resize(static_cast<size_t>(run.note_count));
    run.pending.records.resize(static_cast<size_t>(run.note_count));
    constexpr int32_t IN_FLIGHT = 3;  // finished, pursued, searched
    auto batches = std::make_unique<Batch[]>(IN_FLIGHT);
    for (int32_t b = 0; b < IN_FLIGHT; ++b) {
        prepare_sliding_batch(batches[b].sliding, run.note_count, BATCH_FRAMES);
        batches[b].change_sums.assign(workers, std::vector<int32_t>(BATCH_FRAMES));
    }
    start_batch(run, batches[0], 0);
    {
        SharedWork first;
        first.searched = &batches[0];
        run.pool->run([&](int32_t worker) { share_work(run, first, worker); });
    }
    choose_output_frames(run, batches[0]);
    for (int32_t b = 0;; ++b) {
        Batch& pursued = batches[b % IN_FLIGHT];
        const int32_t next_first = pursued.sliding.first_frame + BATCH_FRAMES;
        SharedWork work;
        work.pursued = &pursued;
        if (next_first < run.frames) {
            work.searched = &batches[(b + 1) % IN_FLIGHT];
            start_batch(run, *work.searched, next_first);
        }
        const Batch* finished = b > 0 ? &batches[(b - 1) % IN_FLIGHT] : nullptr;
        bool going = true;
        run.pool->run([&](int32_t worker) {
            if (worker == 0 && finished && !finish_batch(run, *finished)) {
                going = false;
                work.stopped = true;
            }
            share_work(run, work, worker);
        });
        if (!going)
            break;
        if (!work.searched) {
            finish_batch(run, pursued);
            break;
        }
        choose_output_frames(run, *work.searched);
    }
    return run.totals;
}
