#include "analysis/note_extraction.h"

#include <algorithm>
#include <array>
#include <memory>
#include <span>

#include "analysis/analysis_file.h"
#include "analysis/note_linking.h"
#include "analysis/note_segments.h"
#include "analysis/overlap_resolution.h"
#include "analysis/tick_conversion.h"
#include "analysis/velocity_scale.h"
#include "core/file_io.h"
#include "core/settings.h"
#include "core/status.h"
#include "wave/wav_reader.h"

namespace {

using Block = std::array<FrameNoteRecord, ANALYSIS_BLOCK_CAPACITY>;

struct ExtractionState {
    int32_t capacity = 0;
    bool fine_note = false;
    VelocityScale scale;
    OpenSegmentTable open_segment;
};

bool valid_record(const FrameNoteRecord& r)
{
    return r.note >= 0 && r.note < MIDI_NOTE_COUNT && r.fine_step >= 0 && r.fine_step < FINE_STEPS;
}

// Reads the next block whole and checks it can be used; false at the end or at damage.
bool read_block(AnalysisReader& reader, int32_t room, AnalysisBlockHeader& header, Block& block)
{
    if (read_analysis_block_header(reader, header) != BlockHeaderRead::Block)
        return false;
    if (header.record_count > room || header.position < 0 || header.duration < 0)
        return false;
    for (int32_t i = 0; i < header.record_count; ++i) {
        FrameNoteRecord& r = block[static_cast<size_t>(i)];
        if (!read_analysis_record(reader, r) || !valid_record(r))
            return false;
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

void process_block(ExtractionState& state, const AnalysisBlockHeader& header, Block& block)
{
    int32_t count = header.record_count;
    if (conversion_settings.SCALE_FILTER)
        count = snap_to_scale(std::span(block.data(), static_cast<size_t>(count)));
    count = apply_velocities(std::span(block.data(), static_cast<size_t>(count)), state.scale);
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

} // namespace

int32_t read_note_segments_from(std::FILE* file, int32_t capacity, int32_t level_max)
{
    clear_note_segment_lists();
    AnalysisReader reader(file);
    int32_t first_line[3];
    if (!read_analysis_first_line(reader, first_line) || !read_analysis_header(reader))
        return 0;
    ConversionSettings& c = conversion_settings;
    c.FINE_NOTE = first_line[0] == 1 ? 1 : 0;
    c.SL_DIFFLEVEL = first_line[1];
    c.SL_DIFFNOTE = first_line[2];
    if (capacity <= 0)
        return 0;

    auto state = std::make_unique<ExtractionState>();
    state->capacity = capacity;
    state->fine_note = c.FINE_NOTE == 1;
    state->scale = make_velocity_scale(level_max);
    state->open_segment.fill(-1);

    auto block = std::make_unique<Block>();
    AnalysisBlockHeader header;
    int32_t consumed = 0;
    while (consumed < capacity && read_block(reader, capacity - consumed, header, *block)) {
        process_block(*state, header, *block);
        consumed += header.record_count;
    }
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
