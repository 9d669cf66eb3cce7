#include "analysis/clean_onsets.h"

#include <algorithm>

namespace {

// The frame where the rise into frame `from` began, or `from` when there was none.
int32_t rise_start(const LevelMatrix& m, int32_t note, int32_t from, int32_t limit, const OnsetRules& rules)
{
    const int32_t reached = level_peak(m, note, from, from + rules.reach_frames - 1);
    const int32_t stop = std::max({limit, from - rules.back_frames, 0});
    int32_t k = from;
    while (k > stop) {
        const int64_t earlier = m.at(note, k - 1);
        if (earlier * 1000 > int64_t{m.at(note, k)} * (1000 + rules.slack_permille) ||
            earlier * 100 < int64_t{reached} * rules.floor_percent)
            break;
        --k;
    }
    return int64_t{m.at(note, k)} * 100 <= int64_t{reached} * rules.low_percent ? k : from;
}

} // namespace

std::vector<CleanNote> clean_place_onsets(std::vector<CleanNote> notes, const OnsetRules& rules,
                                          const LevelMatrix& levels)
{
    std::stable_sort(notes.begin(), notes.end(), clean_pitch_before);
    const int64_t hop = levels.hop_samples;
    for (size_t i = 0; i < notes.size(); ++i) {
        CleanNote& n = notes[i];
        const auto from = static_cast<int32_t>(std::min<int64_t>((n.start_samples + hop / 2) / hop, levels.frame_count - 1));
        if (from < 0 || !clean_valid_note(n))
            continue;
        const bool after_same = i > 0 && notes[i - 1].note == n.note;
        const int32_t limit = after_same ? static_cast<int32_t>(notes[i - 1].end_samples / hop) + 1 : 0;
        const int32_t begin = rise_start(levels, n.note, from, limit, rules);
        if (begin == from)
            continue;
        const int64_t window = levels.window_samples[static_cast<size_t>(n.note)];
        n.start_samples = std::min(n.start_samples, int64_t{begin} * hop + window / 2);
    }
    std::sort(notes.begin(), notes.end(), clean_starts_before);
    return notes;
}

std::vector<CleanNote> clean_start_with_chords(std::vector<CleanNote> notes, const ChordRules& rules,
                                               const LevelMatrix& levels)
{
    std::vector<int64_t> onsets;
    onsets.reserve(notes.size());
    for (const CleanNote& n : notes)
        onsets.push_back(n.start_samples);
    std::sort(onsets.begin(), onsets.end());
    std::stable_sort(notes.begin(), notes.end(), clean_pitch_before);
    for (size_t i = 0; i < notes.size(); ++i) {
        CleanNote& n = notes[i];
        if (!clean_valid_note(n) || n.onset_flux >= rules.own_attack_flux)
            continue;
        const bool after_same = i > 0 && notes[i - 1].note == n.note;
        const int64_t from = std::max(n.start_samples - rules.lead_samples,
                                      after_same ? notes[i - 1].end_samples + 1 : INT64_MIN);
        const int64_t found = n.start_samples;
        for (auto t = std::lower_bound(onsets.begin(), onsets.end(), from);
             t != onsets.end() && *t <= found - rules.min_lead_samples; ++t) {
            if (level_held(levels, n.note, *t, found, rules.hold)) {
                n.start_samples = *t;
                break;
            }
        }
    }
    std::sort(notes.begin(), notes.end(), clean_starts_before);
    return notes;
}
