#include "analysis/note_extraction.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "analysis/analysis_file.h"
#include "analysis/note_linking.h"
#include "analysis/note_segments.h"
#include "analysis/overlap_resolution.h"
#include "analysis/tick_conversion.h"
#include "analysis/velocity_scale.h"
#include "core/file_io.h"
#include "core/settings.h"
#include "core/status.h"
#include "core/worker_pool.h"
#include "wave/wav_reader.h"

namespace {

// Blocks are read a batch at a time: with many blocks per hand-over, the thread that reads
// and the one that processes seldom wait for each other.
constexpr size_t BATCH_BLOCKS = 512;

struct BlockBatch {
    std::vector<AnalysisBlockHeader> headers;
    std::vector<FrameNoteRecord> records;  // the blocks' records one after another
};

struct ExtractionState {
    int32_t capacity = 0;
    bool fine_note = false;
    VelocityScale scale;
    OpenSegmentTable open_segment;
};

// Reads the next block whole, its records after those of records, and checks it can be
// used; false (records as they were) at the end or at damage.
bool read_block(AnalysisReader& reader, int32_t room, AnalysisBlockHeader& header,
                std::vector<FrameNoteRecord>& records)
{
    if (read_analysis_block_header(reader, header) != BlockHeaderRead::Block)
        return false;
    if (header.record_count > room || !usable_analysis_block(header))
        return false;
    const size_t first = records.size();
    records.resize(first + static_cast<size_t>(header.record_count));
    for (size_t i = first; i < records.size(); ++i) {
        if (!read_analysis_record(reader, records[i]) || !usable_analysis_record(records[i])) {
            records.resize(first);
            return false;
        }
    }
    return true;
}

// Reads up to BATCH_BLOCKS blocks into batch, taking their records off room (the records
// still allowed). False when the reading is over: at the end, at damage, or at a block that
// would pass room.
bool read_batch(AnalysisReader& reader, int32_t& room, BlockBatch& batch)
{
    batch.headers.clear();
    batch.records.clear();
    AnalysisBlockHeader header;
    while (batch.headers.size() < BATCH_BLOCKS) {
        if (room <= 0 || !read_block(reader, room, header, batch.records))
            return false;
        room -= header.record_count;
        batch.headers.push_back(header);
    }
    return true;
}

// Replaces levels by velocities, dropping the records that get none. Returns the count kept.
int32_t apply_velocities(std::span<FrameNoteRecord> records, const VelocityScale& scale)
{
    int32_t kept = 0;
    for (const FrameNoteRecord& r : records) {
        const int32_t v = scale_velocity(scale, r.level);
        if (v == 0)
            continue;
        FrameNoteRecord& out = records[static_cast<size_t>(kept++)];
        out = r;
        out.level = v;
    }
    return kept;
}

void add_point(ExtractionState& state, int32_t position, int32_t fine_pitch, int32_t velocity, int32_t segment)
{
    PitchPointList& list = pitch_point_list;
    if (!state.fine_note || list.count >= state.capacity)
        return;
    list.points.push_back({position, static_cast<int16_t>(fine_pitch), static_cast<int16_t>(velocity), segment});
    ++list.count;
}

void start_segment(ExtractionState& state, const FrameNoteRecord& r, const AnalysisBlockHeader& header)
{
    NoteSegmentList& list = note_segment_list;
    if (list.count >= state.capacity)
        return;
    const int32_t f = r.note * FINE_STEPS + r.fine_step;
    list.segments.push_back({header.position, header.duration, static_cast<int16_t>(f), static_cast<int16_t>(r.level)});
    const int32_t index = list.count++;
    state.open_segment[static_cast<size_t>(r.note)] = index;
    add_point(state, header.position, f, r.level, index);
}

void extend_segment(ExtractionState& state, const FrameNoteRecord& r, int32_t target,
                    const AnalysisBlockHeader& header)
{
    const int32_t index = state.open_segment[static_cast<size_t>(target)];
    // An earlier record of this block may have closed or replaced the segment it linked to.
    if (index < 0 || index >= note_segment_list.count)
        return;
    NoteSegment& s = note_segment_list.segments[static_cast<size_t>(index)];
    if (header.position <= s.start)
        return;
    // The segment ends one sample before this frame's end; 64 bits for a damaged file's times.
    const int64_t length = int64_t{header.position} + header.duration - s.start - 1;
    s.length = static_cast<int32_t>(std::min<int64_t>(length, INT32_MAX));
    const int32_t f = r.note * FINE_STEPS + r.fine_step;
    if (r.level > s.velocity) {
        s.velocity = static_cast<int16_t>(r.level);
        s.fine_pitch = static_cast<int16_t>(f);
    }
    add_point(state, header.position, f, r.level, index);
}

void process_block(ExtractionState& state, const AnalysisBlockHeader& header, std::span<FrameNoteRecord> block)
{
    int32_t count = header.record_count;
    if (conversion_settings.SCALE_FILTER)
        count = snap_to_scale(block);
    count = apply_velocities(block.first(static_cast<size_t>(count)), state.scale);
    const std::span<const FrameNoteRecord> records(block.data(), static_cast<size_t>(count));
    std::array<int32_t, ANALYSIS_BLOCK_CAPACITY> links;
    link_frame_notes(records, header.position, note_segment_list.segments, state.open_segment,
                     std::span(links.data(), records.size()));
    for (size_t i = 0; i < records.size(); ++i) {
        const FrameNoteRecord& r = records[i];
        switch (links[i]) {
        case LINK_NEW:
            start_segment(state, r, header);
            break;
        case LINK_SAME:
            extend_segment(state, r, r.note, header);
            break;
        case LINK_FROM_BELOW:
            extend_segment(state, r, r.note - 1, header);
            break;
        case LINK_FROM_ABOVE:
            extend_segment(state, r, r.note + 1, header);
            break;
        default:
            break;
        }
    }
}

void process_batch(ExtractionState& state, BlockBatch& batch)
{
    size_t first = 0;
    for (const AnalysisBlockHeader& header : batch.headers) {
        const size_t count = static_cast<size_t>(header.record_count);
        process_block(state, header, std::span(batch.records).subspan(first, count));
        first += count;
    }
}

// Two batches passed between the thread that reads them and the one that processes them in
// order.
class BatchHandoff {
public:
    // The batch to read into next, once the processing is done with it; nullptr when the
    // processing gave up.
    BlockBatch* empty_batch()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return abandoned_ || read_ - processed_ < 2; });
        return abandoned_ ? nullptr : &batches_[static_cast<size_t>(read_ % 2)];
    }

    // The batch from empty_batch is read; last when no batch follows it.
    void read(bool last)
    {
        std::lock_guard lock(mutex_);
        ++read_;
        finished_ = last;
        changed_.notify_all();
    }

    // The reading stopped short (it failed): no batch follows.
    void finish()
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        changed_.notify_all();
    }

    // The next batch read, or nullptr when the reading is over and all are processed.
    BlockBatch* next_batch()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return finished_ || read_ > processed_; });
        return read_ > processed_ ? &batches_[static_cast<size_t>(processed_ % 2)] : nullptr;
    }

    void processed()
    {
        std::lock_guard lock(mutex_);
        ++processed_;
        changed_.notify_all();
    }

    // The processing failed: the reading must not wait for room any more.
    void abandon()
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
        changed_.notify_all();
    }

private:
    std::array<BlockBatch, 2> batches_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int64_t read_ = 0;
    int64_t processed_ = 0;
    bool finished_ = false;
    bool abandoned_ = false;
};

void read_batches(AnalysisReader& reader, int32_t capacity, BatchHandoff& handoff)
{
    try {
        int32_t room = capacity;
        for (bool more = true; more;) {
            BlockBatch* batch = handoff.empty_batch();
            if (!batch)
                return;
            more = read_batch(reader, room, *batch);
            handoff.read(!more);
        }
    } catch (...) {
        handoff.finish();
        throw;
    }
}

void process_batches(ExtractionState& state, BatchHandoff& handoff)
{
    try {
        while (BlockBatch* batch = handoff.next_batch()) {
            process_batch(state, *batch);
            handoff.processed();
        }
    } catch (...) {
        handoff.abandon();  // the segment lists could not grow: let the reading end
        throw;
    }
}

// A second thread to read while the calling one processes, where the processor has one.
std::unique_ptr<WorkerPool> reading_pool()
{
    if (default_worker_count() < 2)
        return nullptr;
    auto pool = std::make_unique<WorkerPool>(2);
    if (pool->size() < 2)
        return nullptr;  // no thread to be had: read and process one after the other
    return pool;
}

// Reads the blocks after the header and processes them in order: reading the text costs
// about as much as processing it, so a second thread reads the next batch meanwhile.
void read_and_process(AnalysisReader& reader, int32_t capacity, ExtractionState& state)
{
    const std::unique_ptr<WorkerPool> pool = reading_pool();
    if (!pool) {
        BlockBatch batch;
        int32_t room = capacity;
        for (bool more = true; more;) {
            more = read_batch(reader, room, batch);
            process_batch(state, batch);
        }
        return;
    }
    auto handoff = std::make_unique<BatchHandoff>();
    pool->run([&](int32_t worker) {
        if (worker == 1)
            read_batches(reader, capacity, *handoff);
        else
            process_batches(state, *handoff);
    });
}

} // namespace

int32_t read_note_segments_from(std::FILE* file, int32_t capacity, int32_t level_max)
{
    clear_note_segment_lists();
    AnalysisReader reader(file);
    if (!read_analysis_settings(reader))
        return 0;
    if (capacity <= 0)
        return 0;

    auto state = std::make_unique<ExtractionState>();
    state->capacity = capacity;
    state->fine_note = conversion_settings.FINE_NOTE == 1;
    state->scale = make_velocity_scale(level_max);
    state->open_segment.fill(-1);

    read_and_process(reader, capacity, *state);
    return note_segment_list.count;
}

int32_t read_note_segments()
{
    clear_note_segment_lists();
    int32_t capacity = analysis_record_count;
    if (conversion_status.reconvert)
        capacity = count_analysis_records();
    FileHandle file = open_analysis_file();
    if (!file)
        return 0;
    return read_note_segments_from(file.get(), capacity, max_level);
}

int32_t extract_note_segments()
{
    if (conversion_settings.TIME_UNIT <= 0) {
        clear_note_segment_lists();
        return 0;
    }
    read_note_segments();
    resolve_overlaps(std::span(note_segment_list.segments.data(), static_cast<size_t>(note_segment_list.count)));
    return convert_to_ticks(note_segment_list, pitch_point_list, conversion_settings.FINE_NOTE == 1,
                            conversion_settings.TIME_UNIT, wave_data.sample_rate);
}
