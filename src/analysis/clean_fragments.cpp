#include "analysis/clean_fragments.h"

#include <algorithm>

namespace {

// The level below which `percent` of the note's levels over frames first..last (inclusive,
// clipped to the matrix) lie; 0 for no frames.
int32_t level_percentile(const LevelMatrix& m, int32_t note, int32_t first, int32_t last, int32_t percent)
{
    first = std::max(first, 0);
    last = std::min(last, m.frame_count - 1);
    if (last < first)
        return 0;
    std::vector<int32_t> values;
    for (int32_t g = first; g <= last; ++g)
        values.push_back(m.at(note, g));
    const auto k = static_cast<std::ptrdiff_t>((values.size() - 1) * static_cast<size_t>(percent) / 100);
    std::nth_element(values.begin(), values.begin() + k, values.end());
    return values[static_cast<size_t>(k)];
}

// True when `later` continues `earlier` (same pitch, starting after it).
bool continues(const CleanNote& earlier, const CleanNote& later, const FragmentRules& rules, const LevelMatrix& m)
{
    const int32_t hop = m.hop_samples;
    const auto start = static_cast<int32_t>(later.start_samples / hop);
    const auto earlier_start = static_cast<int32_t>(earlier.start_samples / hop);
    const int32_t end = std::min(static_cast<int32_t>(earlier.end_samples / hop), start);
    if (start - end > rules.gap_frames)
        return false;
    // An attack: the later note's first frames well above the level just before it.
    const int32_t before = level_percentile(m, later.note, start - rules.before_frames, start - 2, 50);
    const int32_t after = level_peak(m, later.note, start, start + rules.after_frames - 1);
    if (int64_t{after} * 100 >= int64_t{std::max(before, 1)} * rules.rise_percent)
        return false;
    // Held: the level between the two stays near what the earlier note had.
    const int32_t held = end > earlier_start ? level_percentile(m, later.note, earlier_start, end - 1, 50)
                                             : level_peak(m, later.note, end, end);
    const int32_t between = level_percentile(m, later.note, end, start, 25);
    return int64_t{between} * 100 >= int64_t{held} * rules.keep_percent;
}

} // namespace

std::vector<CleanNote> clean_join_fragments(std::vector<CleanNote> notes, const FragmentRules& rules,
                                            const LevelMatrix& levels)
{
    std::stable_sort(notes.begin(), notes.end(), clean_pitch_before);
    std::vector<CleanNote> joined;
    for (const CleanNote& n : notes) {
        if (!joined.empty() && joined.back().note == n.note && continues(joined.back(), n, rules, levels)) {
            joined.back().end_samples = std::max(joined.back().end_samples, n.end_samples);
            continue;
        }
        joined.push_back(n);
    }
    std::sort(joined.begin(), joined.end(), clean_starts_before);
    return joined;
}
