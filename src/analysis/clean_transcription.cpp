#include "analysis/clean_transcription.h"

#include <algorithm>
#include <utility>

#include "analysis/analysis_file.h"
#include "analysis/analysis_results.h"
#include "analysis/clean_attacks.h"
#include "analysis/clean_fragments.h"
#include "analysis/clean_levels.h"
#include "analysis/clean_onsets.h"
#include "analysis/clean_salience.h"
#include "analysis/note_segments.h"
#include "analysis/velocity_scale.h"
#include "core/file_io.h"
#include "core/settings.h"
#include "wave/wav_reader.h"

namespace {

int32_t largest_level(const LevelMatrix& m)
{
    int32_t largest = 0;
    for (int32_t level : m.levels)
        largest = std::max(largest, level);
    return largest;
}

int64_t to_ticks(int64_t samples, int32_t time_unit, int32_t sample_rate)
{
    return std::max<int64_t>(0, samples) * time_unit / sample_rate;
}

} // namespace

std::vector<NoteSegment> clean_notes_to_segments(const std::vector<CleanNote>& notes, int32_t level_max,
                                                 int32_t time_unit, int32_t sample_rate)
{
    std::vector<NoteSegment> segments;
    if (time_unit <= 0 || sample_rate <= 0)
        return segments;
    const VelocityScale scale = make_velocity_scale(level_max);
    for (const CleanNote& n : notes) {
        const int64_t start = to_ticks(n.start_samples, time_unit, sample_rate);
        const int64_t end = to_ticks(n.end_samples, time_unit, sample_rate);
        if (end > INT32_MAX || !clean_valid_note(n))
            continue;
        NoteSegment s;
        s.start = static_cast<int32_t>(start);
        s.length = static_cast<int32_t>(std::max<int64_t>(1, end - start));
        s.fine_pitch = static_cast<int16_t>(n.note * FINE_STEPS + TEMPERED_STEP);
        s.velocity = static_cast<int16_t>(std::max(1, scale_velocity(scale, n.peak_level)));
        segments.push_back(s);
    }
    return segments;
}

int32_t clean_note_segments()
{
    clear_note_segment_lists();
    ConversionSettings& c = conversion_settings;
    if (c.TIME_UNIT <= 0)
        return 0;
    FileHandle file = open_analysis_file();
    if (!file)
        return 0;
    AnalysisReader reader(file.get());
    if (!read_analysis_settings(reader))
        return 0;
    const VibratoRules vibrato;
    const LevelMatrix levels = read_level_matrix(reader, &vibrato);
    const LevelMatrix salience = clean_salience(levels, SalienceRules{});
    std::vector<CleanNote> notes = clean_find_notes(salience, levels, CleanRules{});
    notes = clean_join_fragments(std::move(notes), FragmentRules{}, levels);
    notes = clean_place_onsets(std::move(notes), OnsetRules{}, levels);
    const RecordingView recording{wave_data.samples, wave_data.channels, wave_data.frame_count};
    notes = clean_follow_attacks(std::move(notes), AttackRules{}, recording, levels);
    notes = clean_drop_forerunners(notes, CleanRules{}, levels);
    notes = clean_start_with_chords(std::move(notes), ChordRules{}, levels);
    notes = clean_drop_short(notes, CleanRules{});
    std::vector<NoteSegment> segments =
        clean_notes_to_segments(notes, largest_level(levels), c.TIME_UNIT, wave_data.sample_rate);
    note_segment_list.count = static_cast<int32_t>(segments.size());
    note_segment_list.segments = std::move(segments);
    return note_segment_list.count;
}
