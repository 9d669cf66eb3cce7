#include "analysis/clean_notes.h"

#include <algorithm>
#include <iterator>

namespace {

std::vector<int32_t> loudest_by_frame(const LevelMatrix& m)
{
    std::vector<int32_t> loudest(static_cast<size_t>(m.frame_count), 0);
    for (int32_t g = 0; g < m.frame_count; ++g) {
        int32_t top = 0;
        for (int32_t note = 0; note < MIDI_NOTE_COUNT; ++note)
            top = std::max(top, m.at(note, g));
        loudest[static_cast<size_t>(g)] = top;
    }
    return loudest;
}

// What a note's tracking sees at every frame.
struct FrameView {
    const LevelMatrix& m;       // what notes are tracked on
    const LevelMatrix& levels;  // the analysis levels behind it
    const CleanRules& rules;
    const std::vector<int32_t>& loudest;
    int32_t reference = 0;

    // Above both the recording's and this moment's share, and no partial of a lower note.
    bool passes(int32_t note, int32_t g, int32_t percent, int32_t floor_percent) const
    {
        const int64_t level = m.at(note, g);
        if (level * 100 < int64_t{reference} * floor_percent || level == 0)
            return false;
        return level * 100 >= int64_t{loudest[static_cast<size_t>(g)]} * percent;
    }
    // Starts: passes, stands out from its neighbours (broadband noise and the smear of an
    // attack do not), and stays loud against the loudest note over the next window (a long
    // low window sees a louder attack coming before it arrives).
    bool starts(int32_t note, int32_t g) const
    {
        if (!passes(note, g, 0, rules.floor_percent) || !peaked(note, g))
            return false;
        const int32_t ahead = std::min(m.frame_count - 1, g + m.window_samples[static_cast<size_t>(note)] / m.hop_samples);
        int64_t own = 0;
        int64_t top = 0;
        for (int32_t k = g; k <= ahead; ++k) {
            own = std::max<int64_t>(own, m.at(note, k));
            top = std::max<int64_t>(top, loudest[static_cast<size_t>(k)]);
        }
        return own * 100 >= top * rules.start_percent && int64_t{m.at(note, g)} * 100 >= int64_t{loudest[static_cast<size_t>(g)]} * rules.start_percent;
    }
    bool peaked(int32_t note, int32_t g) const
    {
        int64_t side = 0;
        for (int32_t d = -2; d <= 2; ++d) {
            if (d != 0 && note + d >= 0 && note + d < MIDI_NOTE_COUNT)
                side = std::max<int64_t>(side, m.at(note + d, g));
        }
        return int64_t{m.at(note, g)} * 100 >= side * rules.peak_percent;
    }
    bool holds(int32_t note, int32_t g) const
    {
        return passes(note, g, rules.hold_percent, rules.floor_percent * rules.hold_percent / rules.start_percent);
    }
};

// A new attack at frame g of a sounding note: the level rose well above its recent low.
// Returns the frame of that low (where the attack began), or -1.
int32_t attack_start(const FrameView& v, int32_t note, int32_t g, int32_t since)
{
    const int32_t from = std::max(since, g - v.rules.rise_frames);
    int32_t low_frame = -1;
    int32_t low = INT32_MAX;
    for (int32_t k = g - 1; k >= from; --k) {
        const int32_t level = v.m.at(note, k);
        if (level < low) {
            low = level;
            low_frame = k;
        }
    }
    if (low_frame < 0)
        return -1;
    const int64_t level = v.m.at(note, g);
    if (level * 100 < int64_t{low} * v.rules.rise_percent || low == 0)
        return -1;
    // Only at the frame where the rise tops out, so one attack splits once.
    if (g + 1 < v.m.frame_count && v.m.at(note, g + 1) > level)
        return -1;
    return low_frame;
}

// The frame where the rise into a note began: back from its first strong frame while
// the level keeps falling.
int32_t rise_begin(const LevelMatrix& m, int32_t note, int32_t g, int32_t limit)
{
    limit = std::max(limit, 0);
    while (g > limit && m.at(note, g - 1) > 0 && m.at(note, g - 1) < m.at(note, g))
        --g;
    return g;
}

// The onset in samples: the analysis window starts at the frame position, so a note's level
// climbs while the window slides over its beginning; the frame where the climb reaches
// half its height lies about half a window before the onset.
int64_t onset_samples(const FrameView& v, int32_t note, int32_t begin, int32_t top)
{
    const int32_t peak = level_peak(v.m, note, begin, top);
    const int64_t window = v.m.window_samples[static_cast<size_t>(note)];
    int32_t g = begin;
    while (g < top && int64_t{v.m.at(note, g)} * 100 < int64_t{peak} * v.rules.onset_level_percent)
        ++g;
    const int64_t at_height = int64_t{g} * v.m.hop_samples + window * v.rules.onset_window_percent / 100;
    return at_height;
}

struct Track {
    int32_t begin = 0;   // frame where the attack began
    int32_t first = 0;   // first frame that passed the start test
    int32_t last = 0;    // last frame that held
};

void close_track(const FrameView& v, int32_t note, const Track& t, std::vector<CleanNote>& notes)
{
    if (t.last - t.first + 1 < v.rules.min_frames)
        return;
    CleanNote n;
    n.note = note;
    n.start_samples = onset_samples(v, note, t.begin, std::min(t.last, t.first + v.rules.rise_frames));
    const int64_t window = v.m.window_samples[static_cast<size_t>(note)];
    // The level holds while the window still reaches into the note's release and reverb:
    // the sound ended about half a window before the last frame that held.
    const int64_t held_end = int64_t{t.last + 1} * v.m.hop_samples + window * v.rules.end_window_percent / 100;
    n.end_samples = std::max(n.start_samples + 2 * int64_t{v.m.hop_samples}, held_end);
    n.peak_level = level_peak(v.levels, note, t.first, std::min(t.last, t.first + 2 * v.rules.rise_frames));
    for (int32_t g = t.first; g <= std::min(t.last, t.first + v.rules.strength_frames); ++g)
        n.strength += v.m.at(note, g);
    notes.push_back(n);
}

void track_note(const FrameView& v, int32_t note, std::vector<CleanNote>& notes)
{
    bool sounding = false;
    Track t;
    for (int32_t g = 0; g < v.m.frame_count; ++g) {
        if (!sounding) {
            if (!v.starts(note, g))
                continue;
            sounding = true;
            t = Track{rise_begin(v.m, note, g, g - v.rules.rise_frames), g, g};
            continue;
        }
        if (v.holds(note, g)) {
            const int32_t attack = attack_start(v, note, g, t.first);
            if (attack >= 0) {
                t.last = attack;
                close_track(v, note, t, notes);
                t = Track{attack, g, g};
            } else {
                t.last = g;
            }
            continue;
        }
        if (g - t.last > v.rules.gap_frames) {
            close_track(v, note, t, notes);
            sounding = false;
        }
    }
    if (sounding)
        close_track(v, note, t, notes);
}

} // namespace

namespace {

int32_t reference_of(std::vector<int32_t> loudest)
{
    std::erase(loudest, 0);
    if (loudest.empty())
        return 0;
    const size_t k = loudest.size() * 95 / 100;
    std::nth_element(loudest.begin(), loudest.begin() + static_cast<std::ptrdiff_t>(k), loudest.end());
    return loudest[k];
}

} // namespace

int32_t clean_reference_level(const LevelMatrix& m)
{
    return reference_of(loudest_by_frame(m));
}

namespace {

// True when one of the kept notes at note `lower` sounds at u's start loud enough to
// explain u as its partial (percent of its peak).
bool explained_by(const std::vector<CleanNote>& notes, const std::vector<size_t>& kept_lower, const CleanNote& u,
                  int32_t percent, int64_t late, const CleanRules& rules, int32_t hop)
{
    for (size_t j : kept_lower) {
        const CleanNote& l = notes[j];
        if (l.start_samples > u.start_samples + late || l.end_samples <= u.start_samples)
            continue;
        // A partial starts with its note: one starting long after the lower note's attack is
        // a note of its own (the salience already took the held note's steady partials).
        if (u.start_samples > l.start_samples + late + int64_t{rules.ghost_settle_frames} * hop)
            continue;
        if ((l.end_samples - u.start_samples) * 100 < (u.end_samples - u.start_samples) * rules.ghost_outlast_percent)
            continue;
        if (int64_t{u.peak_level} * 100 < int64_t{l.peak_level} * percent)
            return true;
    }
    return false;
}

} // namespace

std::vector<CleanNote> clean_kept_notes(const std::vector<CleanNote>& notes, const std::vector<char>& kept)
{
    std::vector<CleanNote> result;
    for (size_t i = 0; i < notes.size(); ++i) {
        if (kept[i])
            result.push_back(notes[i]);
    }
    return result;
}

std::vector<CleanNote> clean_drop_partials(const std::vector<CleanNote>& notes, const CleanRules& rules,
                                           const LevelMatrix& m)
{
    // Lower notes first, so a partial is judged against notes that are themselves kept.
    std::vector<size_t> order(notes.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return notes[a].note < notes[b].note; });
    std::vector<char> kept(notes.size(), 0);
    std::vector<std::vector<size_t>> kept_by_note(MIDI_NOTE_COUNT);
    for (size_t i : order) {
        const CleanNote& u = notes[i];
        bool ghost = false;
        for (size_t k = 0; k < std::size(CLEAN_PARTIAL_SEMITONES) && !ghost; ++k) {
            const int32_t spread = k >= CLEAN_PARTIAL_WIDE_FROM ? 1 : 0;
            for (int32_t d = -spread; d <= spread && !ghost; ++d) {
                const int32_t lower = u.note - CLEAN_PARTIAL_SEMITONES[k] + d;
                if (lower < 0)
                    continue;
                // A low note's long window sees the attack later than its partials' short ones.
                const int64_t late = std::max<int64_t>(int64_t{rules.ghost_onset_frames} * m.hop_samples,
                                                       m.window_samples[static_cast<size_t>(lower)]);
                ghost = explained_by(notes, kept_by_note[static_cast<size_t>(lower)], u, rules.ghost_percent[k], late, rules,
                                     m.hop_samples);
            }
        }
        if (ghost)
            continue;
        kept[i] = 1;
        kept_by_note[static_cast<size_t>(u.note)].push_back(i);
    }
    return clean_kept_notes(notes, kept);
}

std::vector<CleanNote> clean_drop_rivals(const std::vector<CleanNote>& notes, const CleanRules& rules,
                                         const LevelMatrix& m)
{
    // Strongest first (ties: earlier, then lower), so every note meets the rivals kept before it.
    std::vector<size_t> order(notes.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return notes[a].strength > notes[b].strength; });
    std::vector<char> kept(notes.size(), 0);
    std::vector<size_t> kept_list;
    const int64_t hold = int64_t{rules.rival_hold_frames} * m.hop_samples;
    for (size_t i : order) {
        const CleanNote& a = notes[i];
        bool smear = false;
        for (size_t j : kept_list) {
            const CleanNote& b = notes[j];
            const int32_t distance = a.note > b.note ? a.note - b.note : b.note - a.note;
            if (distance == 0 || distance > rules.rival_semitones || std::min(a.note, b.note) >= rules.rival_below_note)
                continue;
            const int64_t late = m.window_samples[static_cast<size_t>(std::min(a.note, b.note))];
            if (b.start_samples <= a.start_samples + late && b.end_samples >= a.start_samples + hold) {
                smear = true;
                break;
            }
        }
        if (smear)
            continue;
        kept[i] = 1;
        kept_list.push_back(i);
    }
    return clean_kept_notes(notes, kept);
}

std::vector<CleanNote> clean_drop_short(const std::vector<CleanNote>& notes, const CleanRules& rules)
{
    std::vector<CleanNote> kept;
    std::copy_if(notes.begin(), notes.end(), std::back_inserter(kept), [&](const CleanNote& n) {
        return n.end_samples - n.start_samples >= rules.min_length_samples;
    });
    return kept;
}

std::vector<CleanNote> clean_drop_forerunners(const std::vector<CleanNote>& notes, const CleanRules& rules,
                                              const LevelMatrix& m)
{
    std::vector<char> kept(notes.size(), 1);
    for (size_t i = 0; i < notes.size(); ++i) {
        const CleanNote& low = notes[i];
        if (!clean_valid_note(low) || low.note >= rules.forerunner_below_note)
            continue;
        const int64_t length = low.end_samples - low.start_samples;
        if (length * 100 >= int64_t{m.window_samples[static_cast<size_t>(low.note)]} * rules.forerunner_window_percent)
            continue;
        const auto first = std::lower_bound(notes.begin(), notes.end(), low.start_samples,
                                            [](const CleanNote& n, int64_t start) { return n.start_samples < start; });
        for (auto later = first; later != notes.end() && later->start_samples <= low.end_samples + rules.forerunner_reach_samples; ++later) {
            if (later->note != low.note && later->end_samples - later->start_samples > length) {
                kept[i] = 0;
                break;
            }
        }
    }
    return clean_kept_notes(notes, kept);
}

std::vector<CleanNote> clean_find_notes(const LevelMatrix& m, const CleanRules& rules)
{
    return clean_find_notes(m, m, rules);
}

std::vector<CleanNote> clean_find_notes(const LevelMatrix& m, const LevelMatrix& levels, const CleanRules& rules)
{
    std::vector<CleanNote> notes;
    if (m.frame_count == 0 || levels.frame_count != m.frame_count)
        return notes;
    const std::vector<int32_t> loudest = loudest_by_frame(m);
    const FrameView view{m, levels, rules, loudest, reference_of(loudest)};
    for (int32_t note = 0; note < MIDI_NOTE_COUNT; ++note)
        track_note(view, note, notes);
    std::sort(notes.begin(), notes.end(), clean_starts_before);
    return clean_drop_partials(clean_drop_rivals(notes, rules, m), rules, m);
}
