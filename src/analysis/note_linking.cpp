#include "analysis/note_linking.h"

#include <algorithm>
#include <cstdlib>

#include "core/settings.h"

namespace {

constexpr int32_t PITCH_CLASSES = 12;

// KEY_MIN..KEY_MAX cut to the MIDI notes, so neighbours and moved notes stay in the tables.
int32_t lowest_key() { return std::max(conversion_settings.KEY_MIN, 0); }
int32_t highest_key() { return std::min(conversion_settings.KEY_MAX, MIDI_NOTE_COUNT - 1); }

bool scale_has(int32_t pitch_class)
{
    return conversion_settings.SCALE_NOTES[((pitch_class % PITCH_CLASSES) + PITCH_CLASSES) % PITCH_CLASSES] != 0;
}

// The note a record moves to under SCALE_NOTES.
int32_t snapped_note(const FrameNoteRecord& r)
{
    const int32_t base = r.note >= 128 ? r.note - 128 : r.note;
    const int32_t pitch_class = ((base % PITCH_CLASSES) + PITCH_CLASSES) % PITCH_CLASSES;
    if (scale_has(pitch_class))
        return r.note;
    int32_t up = 0;
    for (int32_t j = 1; j < PITCH_CLASSES && up == 0; ++j) {
        if (base + j <= highest_key() && scale_has(pitch_class + j))
            up = j;
    }
    int32_t down = 0;
    for (int32_t k = 1; k < PITCH_CLASSES && down == 0; ++k) {
        if (base - k >= lowest_key() && scale_has(pitch_class - k))
            down = k;
    }
    if (up > 0 && down > 0) {
        if (up == down)
            return r.fine_step >= FINE_STEPS / 2 ? r.note + up : r.note - down;
        return up < down ? r.note + up : r.note - down;
    }
    if (up > 0)
        return r.note + up;
    if (down > 0)
        return r.note - down;
    return r.note;
}

int64_t gap_of(const NoteSegment& s, int32_t position)
{
    return int64_t{position} - s.length - s.start;
}

int64_t gap_limit(int32_t note)
{
    const ConversionSettings& c = conversion_settings;
    if (c.VR_INTERVAL)
        return int64_t{note_window_length[note]} * c.SL_INTERVAL / 128;
    return c.SL_INTERVAL;
}

// The open segment of `note` if it is still within the gap limit and close enough in pitch.
bool continues(const OpenSegmentTable& open_segment, std::span<const NoteSegment> segments,
               int32_t note, int32_t fine_pitch, int32_t position, int64_t limit)
{
    const int32_t s = open_segment[static_cast<size_t>(note)];
    if (s < 0 || static_cast<size_t>(s) >= segments.size())
        return false;
    const NoteSegment& segment = segments[static_cast<size_t>(s)];
    return gap_of(segment, position) < limit
        && std::abs(fine_pitch - segment.fine_pitch) <= conversion_settings.SL_DIFFNOTE_ABS;
}

} // namespace

int32_t snap_to_scale(std::span<FrameNoteRecord> records)
{
    for (FrameNoteRecord& r : records)
        r.note = snapped_note(r);
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].note < 0)
            continue;
        for (size_t j = i + 1; j < records.size(); ++j) {
            if (records[j].note != records[i].note)
                continue;
            if (records[j].level > records[i].level) {
                records[i].level = records[j].level;
                records[i].fine_step = records[j].fine_step;
                records[i].continuity = records[j].continuity;
            }
            records[j].note = -1;
        }
    }
    const auto kept = std::remove_if(records.begin(), records.end(),
                                     [](const FrameNoteRecord& r) { return r.note < 0; });
    return static_cast<int32_t>(kept - records.begin());
}

void link_frame_notes(std::span<const FrameNoteRecord> records, int32_t position,
                      std::span<const NoteSegment> segments, OpenSegmentTable& open_segment,
                      std::span<int32_t> links)
{
    const int32_t key_min = lowest_key();
    const int32_t key_max = highest_key();
    const size_t count = std::min(records.size(), links.size());
    for (size_t i = 0; i < count; ++i) {
        const FrameNoteRecord& r = records[i];
        const int32_t n = r.note;
        if (n < key_min || n > key_max || r.level < conversion_settings.SL_LEVEL) {
            links[i] = LINK_IGNORED;
            continue;
        }
        links[i] = LINK_NEW;
        const int32_t f = n * FINE_STEPS + r.fine_step;
        const int64_t limit = gap_limit(n);
        const int32_t own = open_segment[static_cast<size_t>(n)];
        if (own >= 0 && static_cast<size_t>(own) < segments.size()) {
            if (gap_of(segments[static_cast<size_t>(own)], position) >= limit)
                open_segment[static_cast<size_t>(n)] = -1;
            else if (r.continuity == 1 && continues(open_segment, segments, n, f, position, limit))
                links[i] = LINK_SAME;
        }
        if (n > key_min && links[i] < 0 && r.continuity == 2
            && continues(open_segment, segments, n - 1, f, position, limit))
            links[i] = LINK_FROM_BELOW;
        if (n < key_max && links[i] < 0 && r.continuity == 3
            && continues(open_segment, segments, n + 1, f, position, limit))
            links[i] = LINK_FROM_ABOVE;
    }
    // A note held on its own pitch wins over a neighbour gliding into the same segment.
    for (size_t i = 0; i < count; ++i) {
        if (links[i] != LINK_SAME)
            continue;
        if (i > 0 && links[i - 1] == LINK_FROM_ABOVE)
            links[i - 1] = LINK_IGNORED;
        if (i + 1 < count && links[i + 1] == LINK_FROM_BELOW)
            links[i + 1] = LINK_IGNORED;
    }
}
