#include "analysis/clean_levels.h"

#include <algorithm>
#include <array>

namespace {

bool read_block(AnalysisReader& reader, AnalysisBlock& block)
{
    AnalysisBlockHeader header;
    if (read_analysis_block_header(reader, header) != BlockHeaderRead::Block)
        return false;
    if (header.position < 0 || header.duration < 0)
        return false;
    block.position = header.position;
    block.duration = header.duration;
    block.levels.fill(0);
    block.steps.fill(12);
    FrameNoteRecord record;
    for (int32_t i = 0; i < header.record_count; ++i) {
        if (!read_analysis_record(reader, record) || record.note < 0 || record.note >= MIDI_NOTE_COUNT)
            return false;
        block.levels[static_cast<size_t>(record.note)] = std::max(0, record.level);
        block.steps[static_cast<size_t>(record.note)] = static_cast<int8_t>(std::clamp(record.fine_step, 0, 23));
    }
    return true;
}

// Grid frames a recording may have: far beyond any WAV file's 32-bit length.
constexpr int64_t MAX_GRID_FRAMES = int64_t{1} << 24;

// The most samples one block can stand for: the analysis writes a frame at least every half
// frame width, and frames are at most 32768 samples wide. A file claiming more is damaged,
// and its claim must not size the grid (gigabytes from one number).
constexpr int64_t MAX_BLOCK_SPAN = 32768;

// Raises the grid frames first..last (inclusive), appending frames as needed, to levels.
void spread_levels(LevelMatrix& m, const std::array<int32_t, MIDI_NOTE_COUNT>& levels, int64_t first, int64_t last)
{
    last = std::min(last, MAX_GRID_FRAMES - 1);
    if (last >= m.frame_count) {
        m.frame_count = static_cast<int32_t>(last + 1);
        m.levels.resize(static_cast<size_t>(m.frame_count) * MIDI_NOTE_COUNT, 0);
    }
    for (int64_t g = first; g <= last; ++g) {
        int32_t* cells = &m.levels[static_cast<size_t>(g) * MIDI_NOTE_COUNT];
        for (size_t note = 0; note < MIDI_NOTE_COUNT; ++note)
            cells[note] = std::max(cells[note], levels[note]);
    }
}

} // namespace

int32_t level_peak(const LevelMatrix& m, int32_t note, int32_t first, int32_t last)
{
    int32_t peak = 0;
    for (int32_t g = std::max(first, 0); g <= std::min(last, m.frame_count - 1); ++g)
        peak = std::max(peak, m.at(note, g));
    return peak;
}

bool level_held(const LevelMatrix& m, int32_t note, int64_t since_samples, int64_t found_samples,
                const LevelHold& hold)
{
    const int64_t hop = m.hop_samples;
    const int64_t found = std::min<int64_t>(found_samples / hop, m.frame_count);
    const int64_t first = since_samples / hop + hold.settle_frames;
    if (first >= found || first < 0)
        return false;
    const int64_t peak = level_peak(m, note, static_cast<int32_t>(found), static_cast<int32_t>(found + 9));
    int64_t held = 0;
    for (int64_t g = first; g < found; ++g)
        held += int64_t{m.at(note, static_cast<int32_t>(g))} * 100 >= peak * hold.percent ? 1 : 0;
    return held * 100 >= (found - first) * hold.frames_percent;
}

LevelMatrix make_level_matrix(int32_t frame_count, int32_t hop_samples)
{
    LevelMatrix m;
    m.hop_samples = hop_samples;
    m.frame_count = std::max(0, frame_count);
    m.levels.assign(static_cast<size_t>(m.frame_count) * MIDI_NOTE_COUNT, 0);
    m.window_samples.assign(MIDI_NOTE_COUNT, hop_samples);
    return m;
}

namespace {

// A block stands until the next one starts; the last one for at most its written duration.
struct Spreader {
    LevelMatrix& m;
    AnalysisBlock previous;
    bool have_previous = false;

    void add(const AnalysisBlock& next)
    {
        if (have_previous) {
            const int64_t first = previous.position / CLEAN_GRID_HOP;
            spread_levels(m, previous.levels, first, std::max(first, (int64_t{next.position} - 1) / CLEAN_GRID_HOP));
        }
        previous = next;
        have_previous = true;
    }
    void finish()
    {
        if (!have_previous)
            return;
        const int64_t first = previous.position / CLEAN_GRID_HOP;
        const int64_t span = std::min<int64_t>(previous.duration, MAX_BLOCK_SPAN);
        spread_levels(m, previous.levels, first, (int64_t{previous.position} + span) / CLEAN_GRID_HOP);
    }
};

} // namespace

LevelMatrix read_level_matrix(AnalysisReader& reader, const VibratoRules* vibrato)
{
    LevelMatrix m = make_level_matrix(0, CLEAN_GRID_HOP);
    for (int32_t note = 0; note < MIDI_NOTE_COUNT; ++note)
        m.window_samples[static_cast<size_t>(note)] = std::max(1, note_window_length[note]);
    Spreader spreader{m, {}, false};
    VibratoWindow window;
    if (vibrato)
        window.rules = *vibrato;
    AnalysisBlock block;
    AnalysisBlock folded;
    int64_t from = 0;  // the block before's position
    while (read_block(reader, block)) {
        if (block.position < from || block.position - from > MAX_BLOCK_SPAN)
            break;  // blocks come in ascending position, from the start, close together
        from = block.position;
        if (!vibrato) {
            spreader.add(block);
            continue;
        }
        vibrato_push(window, block);
        while (vibrato_pop(window, false, folded))
            spreader.add(folded);
    }
    while (vibrato && vibrato_pop(window, true, folded))
        spreader.add(folded);
    spreader.finish();
    return m;
}
