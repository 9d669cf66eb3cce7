#include "analysis/overlap_resolution.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "core/saturate.h"
#include "core/settings.h"

namespace {

constexpr size_t SOUNDING_SLOTS = 256;
constexpr int16_t DELETED = -1;

// Distances in semitones from a fundamental up to its partials 2 to 8.
constexpr std::array<int32_t, 7> PARTIAL_DISTANCES = {12, 19, 24, 28, 31, 34, 36};

// The segment sounding in each slot (-1: none), where it ends, and which slots hold one, so
// that a walk over the sounding segments visits only those, in slot order, and finds the
// ended ones without reading the segments.
struct SoundingTable {
    std::array<int32_t, SOUNDING_SLOTS> slot;
    std::array<int64_t, SOUNDING_SLOTS> end;  // start + length of the segment in the slot
    std::array<uint64_t, SOUNDING_SLOTS / 64> occupied = {};

    void set(size_t s, int32_t segment)
    {
        slot[s] = segment;
        const uint64_t bit = uint64_t{1} << (s % 64);
        occupied[s / 64] = segment >= 0 ? occupied[s / 64] | bit : occupied[s / 64] & ~bit;
    }

    void set(size_t s, int32_t segment, const NoteSegment& sounding)
    {
        set(s, segment);
        end[s] = int64_t{sounding.start} + sounding.length;
    }

    // Calls visit(s) for every occupied slot s in ascending order; visit may clear s.
    template <typename Visit>
    void for_each(Visit visit) const
    {
        for (size_t word = 0; word < occupied.size(); ++word) {
            for (uint64_t bits = occupied[word]; bits != 0; bits &= bits - 1)
                visit(word * 64 + static_cast<size_t>(std::countr_zero(bits)));
        }
    }
};

// velocity * length in 64 bits: in samples a few minutes of note already pass 2^31 / 254.
int64_t weight(const NoteSegment& s)
{
    return int64_t{s.velocity} * s.length;
}

// Shortens a to end one sample before `start`; deletes it when nothing is left.
void cut_before(NoteSegment& a, int32_t start)
{
    a.length = saturate_int32(int64_t{start} - a.start - 1);
    if (a.length <= 0)
        a.fine_pitch = DELETED;
}

// Retires the segments that have ended by `start` and counts those still sounding.
int32_t retire_ended(SoundingTable& sounding, int32_t start)
{
    int32_t count = 0;
    sounding.for_each([&](size_t s) {
        if (start >= sounding.end[s])
            sounding.set(s, -1);
        else
            ++count;
    });
    return count;
}

// Applies the polyphony limit to q (in slot `note`) when too many notes sound.
void limit_harmony(SoundingTable& sounding, std::span<NoteSegment> segments, size_t k, int32_t note)
{
    NoteSegment& q = segments[k];
    int32_t weakest = -1;
    size_t weakest_slot = 0;
    bool lower_partial_source = false;
    sounding.for_each([&](size_t slot) {
        const int32_t a = sounding.slot[slot];
        if (static_cast<size_t>(a) == k)
            return;
        if (weakest < 0 || weight(segments[static_cast<size_t>(a)]) < weight(segments[static_cast<size_t>(weakest)])) {
            weakest = a;
            weakest_slot = slot;
        }
        for (int32_t distance : PARTIAL_DISTANCES) {
            if (static_cast<int32_t>(slot) == note - distance)
                lower_partial_source = true;
        }
    });
    if (weakest < 0)
        return;
    NoteSegment& w = segments[static_cast<size_t>(weakest)];
    const bool q_loses = (lower_partial_source && weight(q) < 2 * weight(w))
                      || weight(q) < weight(w) / 3
                      || q.velocity < w.velocity / 2;
    if (q_loses) {
        q.fine_pitch = DELETED;
        sounding.set(static_cast<size_t>(note), -1);
        return;
    }
    cut_before(w, q.start);
    sounding.set(weakest_slot, -1);
}

} // namespace

void resolve_overlaps(std::span<NoteSegment> segments)
{
    const ConversionSettings& c = conversion_settings;
    SoundingTable sounding;
    sounding.slot.fill(-1);
    for (size_t k = 0; k < segments.size(); ++k) {
        NoteSegment& q = segments[k];
        int32_t count = retire_ended(sounding, q.start);
        const int32_t note = q.fine_pitch / FINE_STEPS;
        if (q.fine_pitch < 0 || q.velocity < c.SL_LEVEL || q.length < c.SL_LENGTH
            || note >= static_cast<int32_t>(SOUNDING_SLOTS)) {
            q.fine_pitch = DELETED;
            continue;
        }
        const int32_t slot = sounding.slot[static_cast<size_t>(note)];
        if (slot >= 0) {
            NoteSegment& a = segments[static_cast<size_t>(slot)];
            if (q.velocity <= a.velocity) {
                a.length = saturate_int32(int64_t{a.length} + q.length);
                sounding.set(static_cast<size_t>(note), slot, a);
                q.fine_pitch = DELETED;
                continue;
            }
            cut_before(a, q.start);
        } else {
            ++count;
        }
        sounding.set(static_cast<size_t>(note), static_cast<int32_t>(k), q);
        if (count > c.MAX_HARMONY)
            limit_harmony(sounding, segments, k, note);
    }
}
