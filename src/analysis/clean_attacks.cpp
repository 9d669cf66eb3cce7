#include "analysis/clean_attacks.h"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <map>
#include <vector>

namespace {

using LogPower = std::array<int32_t, MIDI_NOTE_COUNT>;  // thousandths of a neper

struct Peak {
    int64_t frame = 0;
    int32_t flux = -1;
};

// The flux of the recording's windows, each window's spectrum computed once. A pass over
// the notes in time order releases the windows behind it, so memory stays small on long
// recordings. The window of frame c ends at sample c * hop.
struct FluxWindows {
    const AttackRules& rules;
    const RecordingView& recording;
    NoteBandTables tables;
    double quiet_power = 1.0;
    std::map<int64_t, LogPower> computed;

    const LogPower& log_power(int64_t frame)
    {
        auto found = computed.find(frame);
        if (found != computed.end())
            return found->second;
        const std::array<double, MIDI_NOTE_COUNT> power = note_band_power(tables, recording, frame * rules.hop_samples);
        LogPower result;
        for (size_t n = 0; n < power.size(); ++n)
            result[n] = static_cast<int32_t>(std::lround(1000.0 * std::log1p(power[n] / quiet_power)));
        return computed.emplace(frame, result).first->second;
    }
    void release_before(int64_t frame) { computed.erase(computed.begin(), computed.lower_bound(frame)); }

    int32_t flux(int32_t note, int64_t frame)
    {
        const LogPower& now = log_power(frame);
        const LogPower& before = log_power(frame - rules.lag_frames);
        int64_t sum = 0;
        for (int32_t k = 0; k < ATTACK_PARTIALS; ++k) {
            const auto band = static_cast<size_t>(note + ATTACK_SEMITONES[k]);
            if (band < MIDI_NOTE_COUNT)
                sum += int64_t{ATTACK_WEIGHTS[k]} * std::max(0, now[band] - before[band]);
        }
        return static_cast<int32_t>(sum / 1000);
    }
    // The first frame of first..last with the largest flux.
    Peak strongest(int32_t note, int64_t first, int64_t last)
    {
        Peak best{first, -1};
        for (int64_t c = first; c <= last; ++c) {
            const int32_t f = flux(note, c);
            if (f > best.flux)
                best = Peak{c, f};
        }
        return best;
    }
    // The frame whose window is centred on sample s.
    int64_t centred_on(int64_t s) const
    {
        return (std::max<int64_t>(s, 0) + NOTE_BAND_WINDOW / 2) / rules.hop_samples;
    }
    int32_t strength_near(int32_t note, int64_t onset)
    {
        const int64_t centre = centred_on(onset);
        return strongest(note, centre - rules.search_before, centre + rules.search_after).flux;
    }
};

double mean_square(const RecordingView& recording)
{
    double sum = 0.0;
    for (int64_t i = 0; i < recording.frame_count; ++i) {
        const double s = recording.mono(i);
        sum += s * s;
    }
    return recording.frame_count > 0 ? sum / static_cast<double>(recording.frame_count) : 0.0;
}

// Whether n starts on a partial of a lower note that has sounded for a while: a swell of
// that partial (the beating of a choir or an ensemble) rather than a note, unless its attack
// is clear.
bool on_held_partial(const CleanNote& n, const std::vector<CleanNote>& kept, const std::vector<char>& attacked,
                     const std::array<size_t, MIDI_NOTE_COUNT>& last_of_pitch, const AttackRules& rules)
{
    for (const int32_t interval : HELD_PARTIAL_SEMITONES) {
        const int32_t lower = n.note - interval;
        if (lower < 0)
            continue;
        const size_t i = last_of_pitch[static_cast<size_t>(lower)];
        if (i == SIZE_MAX || !attacked[i])
            continue;
        const CleanNote& held = kept[i];
        const bool settled = held.start_samples + rules.held_partial_settle_samples <= n.start_samples;
        if (settled && n.start_samples < held.end_samples)
            return true;
    }
    return false;
}

// The flux a held note shows while it sounds, away from its attack and its end: the swells
// of its vibrato, beating or LFO. Its swell_rank_percent-th percentile over the note's last
// swell_span_samples, every lag_frames hops (each rise counted once); 0 for a note too short
// to show any. The span keeps the cost of a long drone joined piece by piece linear.
int32_t held_swells(FluxWindows& windows, const CleanNote& n)
{
    const AttackRules& rules = windows.rules;
    std::vector<int32_t> flux;
    const int64_t until = n.end_samples - rules.swell_before_end_samples;
    const int64_t from = std::max(n.start_samples + rules.swell_after_start_samples, until - rules.swell_span_samples);
    const int64_t last = windows.centred_on(until);
    for (int64_t c = windows.centred_on(from); c <= last; c += rules.lag_frames)
        flux.push_back(windows.flux(n.note, c));
    if (flux.empty())
        return 0;
    const size_t k = std::min(flux.size() - 1, flux.size() * static_cast<size_t>(rules.swell_rank_percent) / 100);
    std::nth_element(flux.begin(), flux.begin() + static_cast<std::ptrdiff_t>(k), flux.end());
    return flux[k];
}

// Joins every piece that no attack begins to the note of its pitch before it, and drops the
// notes from unattacked_from_note up that were never attacked. One pass, so each onset's flux
// is computed once; a piece may still join a note that is dropped, and goes with it.
std::vector<CleanNote> join_and_drop_unattacked(const std::vector<CleanNote>& notes, FluxWindows& windows)
{
    const AttackRules& rules = windows.rules;
    std::vector<CleanNote> kept;
    std::vector<char> attacked;
    std::array<size_t, MIDI_NOTE_COUNT> last_of_pitch;
    last_of_pitch.fill(SIZE_MAX);
    for (const CleanNote& n : notes) {
        if (!clean_valid_note(n)) {
            kept.push_back(n);
            attacked.push_back(1);
            continue;
        }
        windows.release_before(windows.centred_on(n.start_samples) - rules.search_before - rules.lag_frames);
        const size_t earlier = last_of_pitch[static_cast<size_t>(n.note)];
        const bool may_join = earlier != SIZE_MAX && n.start_samples - kept[earlier].end_samples <= rules.gap_samples;
        const bool judged = n.note >= rules.unattacked_from_note;
        const int32_t strength = may_join || judged ? windows.strength_near(n.note, n.start_samples) : INT32_MAX;
        const bool unattacked = may_join && (strength < rules.attack_flux ||
                                             int64_t{strength} * 100 <
                                                 int64_t{held_swells(windows, kept[earlier])} * rules.swell_percent);
        if (unattacked) {
            kept[earlier].end_samples = std::max(kept[earlier].end_samples, n.end_samples);
            continue;
        }
        last_of_pitch[static_cast<size_t>(n.note)] = kept.size();
        kept.push_back(n);
        const int32_t needed = on_held_partial(n, kept, attacked, last_of_pitch, rules) ? rules.held_partial_flux
                                                                                          : rules.unattacked_flux;
        attacked.push_back(!judged || strength >= needed ? 1 : 0);
    }
    return clean_kept_notes(kept, attacked);
}

// Where an attack whose flux peaks at `frame` is heard.
int64_t heard_at(const AttackRules& rules, int64_t frame)
{
    return std::max<int64_t>(frame * rules.hop_samples - NOTE_BAND_WINDOW / 2 + rules.peak_delay_samples, 0);
}

// The latest peak of attack of `note` in frames first..last, or -1.
int64_t latest_attack(FluxWindows& windows, int32_t note, int64_t first, int64_t last)
{
    for (int64_t c = last; c >= first; --c) {
        const int32_t f = windows.flux(note, c);
        if (f >= windows.rules.attack_flux && f >= windows.flux(note, c - 1) && f > windows.flux(note, c + 1))
            return c;
    }
    return -1;
}

// Never into the previous note of the pitch, never later than the onset was.
void move_onsets_to_attacks(std::vector<CleanNote>& notes, FluxWindows& windows, const LevelMatrix& levels)
{
    const AttackRules& rules = windows.rules;
    std::array<int64_t, MIDI_NOTE_COUNT> previous_end;
    previous_end.fill(0);
    for (CleanNote& n : notes) {
        if (!clean_valid_note(n))
            continue;
        const int64_t previous = previous_end[static_cast<size_t>(n.note)];
        previous_end[static_cast<size_t>(n.note)] = n.end_samples;
        windows.release_before(windows.centred_on(n.start_samples - rules.far_lead_samples) - rules.lag_frames - 1);
        const int64_t near_from = windows.centred_on(std::max(previous, n.start_samples - rules.lead_samples));
        const Peak near = windows.strongest(n.note, std::max<int64_t>(near_from, rules.lag_frames),
                                            windows.centred_on(n.start_samples) + rules.search_after);
        if (near.flux >= rules.attack_flux) {
            n.onset_flux = near.flux;
            if (heard_at(rules, near.frame) < n.start_samples - rules.move_samples)
                n.start_samples = heard_at(rules, near.frame);
            continue;
        }
        // A slow attack rises in steps: from each attack taken, the latest one before it counts
        // too, as long as the level held from there to where the note was found.
        const int64_t found = n.start_samples;
        int64_t before = near_from;
        for (;;) {
            const int64_t far_from = windows.centred_on(std::max(previous, n.start_samples - rules.far_lead_samples));
            const int64_t attack =
                latest_attack(windows, n.note, std::max<int64_t>(far_from, rules.lag_frames + 1), before - 1);
            if (attack < 0 || !level_held(levels, n.note, heard_at(rules, attack), found, rules.hold))
                break;
            n.start_samples = heard_at(rules, attack);
            before = attack;
        }
    }
}

} // namespace

std::vector<CleanNote> clean_follow_attacks(std::vector<CleanNote> notes, const AttackRules& rules,
                                            const RecordingView& recording, const LevelMatrix& levels)
{
    std::stable_sort(notes.begin(), notes.end(), clean_starts_before);
    if (recording.frame_count <= 0 || rules.hop_samples <= 0)
        return notes;
    const double quiet_power = std::max(1.0, rules.quiet_per_mean_square * mean_square(recording));
    FluxWindows windows{rules, recording, make_note_band_tables(), quiet_power, {}};
    move_onsets_to_attacks(notes, windows, levels);
    std::stable_sort(notes.begin(), notes.end(), clean_starts_before);
    windows.computed.clear();
    return join_and_drop_unattacked(notes, windows);
}
