#include "midi/note_event_builder.h"

#include <algorithm>
#include <array>
#include <limits>

#include "analysis/analysis_results.h"
#include "analysis/note_segments.h"
#include "core/messages.h"
#include "core/saturate.h"
#include "core/settings.h"
#include "midi/midi_event_list.h"

namespace {

constexpr int32_t PENDING_CAPACITY = 128;
constexpr int32_t CHANNEL_COUNT = 16;
constexpr int32_t HIGHEST_CHANNEL = 15;
constexpr int32_t DRUM_CHANNEL = 9;   // left to percussion on every GM module
constexpr int32_t CHANNEL_FREE = -1;
constexpr int32_t CHANNEL_SOUNDING = 1;
constexpr int32_t BEND_CENTRE = 8192;
constexpr int32_t BEND_MAX = 16383;
constexpr int32_t BEND_UNITS_PER_SEMITONE = 4096;

struct PendingOff {
    int32_t end_time = 0;
    int16_t note = 0;
    int16_t velocity = 0;
    int32_t channel = 0;
};

// Working state of one build.
struct BuildState {
    std::array<PendingOff, PENDING_CAPACITY> pending{};
    int32_t pending_count = 0;
    std::array<int32_t, CHANNEL_COUNT> channel_usage{};
    std::array<int32_t, MIDI_NOTE_COUNT> note_channel{};
    int32_t point_cursor = 0;
    bool overflow_reported = false;
    int32_t last_event_time = 0;
    bool fine_note = false;
    int32_t segment_count = 0;  // usable entries of the segment list
    int32_t point_count = 0;    // usable entries of the point list (0 without FINE_NOTE)
};

int32_t usable_count(int32_t count, size_t stored)
{
    const auto limit = static_cast<int64_t>(std::min<size_t>(stored, std::numeric_limits<int32_t>::max()));
    return static_cast<int32_t>(std::clamp<int64_t>(count, 0, limit));
}

// MIDI note of a segment, or -1 when its fine pitch names none (a negative fine pitch marks
// a deleted segment; notes above 127 do not exist in MIDI).
int32_t segment_note(const NoteSegment& segment)
{
    const int32_t note = segment.fine_pitch / FINE_STEPS;
    if (segment.fine_pitch < 0 || note >= MIDI_NOTE_COUNT)
        return -1;
    return note;
}

void append(BuildState& state, uint8_t status, int32_t data1, int32_t data2, int32_t time, int32_t tag)
{
    MidiEvent event;
    event.time = time;
    event.status = status;
    event.data1 = static_cast<uint8_t>(data1);
    event.data2 = static_cast<uint8_t>(data2);
    event.tag = static_cast<uint8_t>(tag);
    append_event(event);
    state.last_event_time = time;
}

void emit_bend_pair(BuildState& state, int32_t channel, int32_t bend_offset, int32_t time, int32_t expression)
{
    if (channel < 0 || channel > HIGHEST_CHANNEL)
        return;
    const int32_t value = std::clamp(bend_offset * BEND_UNITS_PER_SEMITONE / FINE_STEPS + BEND_CENTRE, 0, BEND_MAX);
    append(state, static_cast<uint8_t>(MIDI_PITCH_BEND + channel), value % 128, value / 128, time, 0);
    append(state, static_cast<uint8_t>(MIDI_CONTROL_CHANGE + channel), MIDI_EXPRESSION_CONTROLLER, expression, time, 0);
}

// One pitch point: a bend pair on the channel of its segment's note, unless that channel
// already got one during the current note-off emission.
void emit_point(BuildState& state, const PitchPoint& point, std::array<bool, CHANNEL_COUNT>& bent)
{
    if (point.segment < 0 || point.segment >= state.segment_count)
        return;
    const NoteSegment& segment = note_segment_list.segments[static_cast<size_t>(point.segment)];
    const int32_t seg_note = segment_note(segment);
    if (seg_note < 0)
        return;
    const int32_t channel = state.note_channel[static_cast<size_t>(seg_note)];
    if (channel < 0 || channel > HIGHEST_CHANNEL || bent[static_cast<size_t>(channel)])
        return;
    bent[static_cast<size_t>(channel)] = true;
    const int32_t bend_offset = point.fine_pitch - seg_note * FINE_STEPS - TEMPERED_STEP;
    const int32_t expression = std::clamp(point.velocity - segment.velocity + 127, 1, 127);
    emit_bend_pair(state, channel, bend_offset, point.time, expression);
}

// Consumes the pitch points up to end_time, then appends the note-off.
void emit_note_off(BuildState& state, const PendingOff& off)
{
    if (state.fine_note) {
        std::array<bool, CHANNEL_COUNT> bent{};
        while (state.point_cursor < state.point_count) {
            const PitchPoint& point = pitch_point_list.points[static_cast<size_t>(state.point_cursor)];
            if (point.time > off.end_time)
                break;
            ++state.point_cursor;
            emit_point(state, point, bent);
        }
    }
    append(state, static_cast<uint8_t>(MIDI_NOTE_OFF + off.channel), off.note, 0, off.end_time, off.channel);
}

void free_channel(BuildState& state, int32_t channel)
{
    if (state.fine_note)
        state.channel_usage[static_cast<size_t>(channel)] = CHANNEL_FREE;
}

// Emits the note-offs of every pending note ending at or before start, in start order,
// and keeps the others in their order.
void release_due_notes(BuildState& state, int32_t start)
{
    int32_t kept = 0;
    for (int32_t i = 0; i < state.pending_count; ++i) {
        const PendingOff entry = state.pending[static_cast<size_t>(i)];
        if (entry.end_time <= start) {
            emit_note_off(state, entry);
            free_channel(state, entry.channel);
        } else {
            state.pending[static_cast<size_t>(kept++)] = entry;
        }
    }
    state.pending_count = kept;
}

// First free channel up to MAX_HARMONY (never the drum channel), else channel 0 shared.
int32_t allocate_channel(BuildState& state, int32_t note)
{
    const int32_t highest = std::min(conversion_settings.MAX_HARMONY, HIGHEST_CHANNEL);
    int32_t channel = 0;
    for (int32_t c = 0; c <= highest; ++c) {
        if (c != DRUM_CHANNEL && state.channel_usage[static_cast<size_t>(c)] == CHANNEL_FREE) {
            channel = c;
            break;
        }
    }
    state.channel_usage[static_cast<size_t>(channel)] = CHANNEL_SOUNDING;
    state.note_channel[static_cast<size_t>(note)] = channel;
    midi_event_list.channels_used = std::max(midi_event_list.channels_used, channel + 1);
    return channel;
}

// A full buffer sends its oldest note off early, at that note's own end time.
void relieve_full_buffer(BuildState& state)
{
    if (state.pending_count < PENDING_CAPACITY)
        return;
    const PendingOff oldest = state.pending[0];
    emit_note_off(state, oldest);
    free_channel(state, oldest.channel);
    std::copy(state.pending.begin() + 1, state.pending.begin() + state.pending_count, state.pending.begin());
    --state.pending_count;
    if (!state.overflow_reported) {
        state.overflow_reported = true;
        show_message(NOTE_OFF_OVERFLOW_CAPTION, NOTE_OFF_OVERFLOW_TEXT);
    }
}

void add_note(BuildState& state, const NoteSegment& segment)
{
    const int32_t note = segment_note(segment);
    if (note < 0)
        return;
    release_due_notes(state, segment.start);
    const int32_t channel = state.fine_note ? allocate_channel(state, note) : 0;
    // Velocities outside the data-byte range would corrupt the MIDI stream.
    const int32_t velocity = std::clamp<int32_t>(segment.velocity, 1, 127);
    append(state, static_cast<uint8_t>(MIDI_NOTE_ON + channel), note, velocity, segment.start, channel);
    // A length that would run past the largest tick ends there instead of wrapping.
    const int64_t end = static_cast<int64_t>(segment.start) + segment.length;
    PendingOff entry;
    entry.end_time = saturate_int32(end);
    entry.note = static_cast<int16_t>(note);
    entry.channel = channel;
    state.pending[static_cast<size_t>(state.pending_count++)] = entry;
    relieve_full_buffer(state);
}

} // namespace

int32_t build_note_events()
{
    BuildState state;
    state.fine_note = conversion_settings.FINE_NOTE != 0;
    state.segment_count = usable_count(note_segment_list.count, note_segment_list.segments.size());
    state.point_count = state.fine_note ? usable_count(pitch_point_list.count, pitch_point_list.points.size()) : 0;

    // Each segment gives one note-on and one note-off; each point is consumed once and gives
    // at most one bend pair.
    const int64_t capacity = 2 * static_cast<int64_t>(state.segment_count) + 2 * static_cast<int64_t>(state.point_count);
    create_event_list(static_cast<int32_t>(std::min<int64_t>(capacity, std::numeric_limits<int32_t>::max())));
    midi_event_list.channels_used = 1;
    state.channel_usage.fill(CHANNEL_FREE);

    for (int32_t i = 0; i < state.segment_count; ++i)
        add_note(state, note_segment_list.segments[static_cast<size_t>(i)]);
    for (int32_t i = 0; i < state.pending_count; ++i)
        emit_note_off(state, state.pending[static_cast<size_t>(i)]);
    state.pending_count = 0;

    clear_note_segment_lists();
    return state.last_event_time;
}
