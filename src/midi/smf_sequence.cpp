#include "midi/smf_sequence.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "midi/smf_writer.h"

namespace {

constexpr uint32_t DEFAULT_TEMPO = 500000;  // 120 quarter notes a minute until a file says otherwise
constexpr int64_t MICROSECONDS = 1000000;
// Elapsed time is counted in microseconds times the division and held here: already far
// past the last time a list can hold, and no product below it overflows.
constexpr int64_t ELAPSED_LIMIT = int64_t{1} << 62;
constexpr int64_t TIME_LIMIT = std::numeric_limits<int32_t>::max();

// From tick on, tempo holds; elapsed is the time at tick in microseconds times the division.
struct TempoSegment {
    uint64_t tick = 0;
    uint32_t tempo = DEFAULT_TEMPO;
    int64_t elapsed = 0;
};

using TempoMap = std::vector<TempoSegment>;

int64_t elapsed_at(const TempoSegment& segment, uint64_t tick)
{
    const uint64_t ticks = tick - segment.tick;
    const uint64_t room = static_cast<uint64_t>(ELAPSED_LIMIT - segment.elapsed) / segment.tempo;
    if (ticks >= room)
        return ELAPSED_LIMIT;
    return segment.elapsed + static_cast<int64_t>(ticks * segment.tempo);
}

// The tempo changes of every track in time order (a later track's change wins at equal
// ticks, as in a merged playback); a tempo of 0 would stop time and is passed over.
TempoMap tempo_map(const SmfScan& scan)
{
    std::vector<const SmfEvent*> changes;
    for (const SmfTrack& track : scan.tracks) {
        for (const SmfEvent& e : track.events) {
            if (e.status == SMF_META && e.tempo > 0)
                changes.push_back(&e);
        }
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const SmfEvent* a, const SmfEvent* b) { return a->tick < b->tick; });
    TempoMap map(1);
    for (const SmfEvent* change : changes) {
        if (change->tick == map.back().tick) {
            map.back().tempo = change->tempo;
            continue;
        }
        map.push_back({change->tick, change->tempo, elapsed_at(map.back(), change->tick)});
    }
    return map;
}

// Ticks per second when one tempo holds throughout and makes a whole number; 0 otherwise.
int32_t exact_time_unit(const TempoMap& map, int32_t division)
{
    const uint32_t tempo = map.front().tempo;
    for (const TempoSegment& segment : map) {
        if (segment.tempo != tempo)
            return 0;
    }
    const int64_t scaled = int64_t{division} * MICROSECONDS;
    if (scaled % tempo != 0 || scaled / tempo > SMF_MAX_TIME_UNIT)
        return 0;
    return static_cast<int32_t>(scaled / tempo);
}

// A tick's time in the list: unscaled at the file's own resolution, else the exact time
// rounded to time_unit.
struct TimeScale {
    TempoMap map;
    int32_t division = 0;
    int32_t time_unit = 0;
    bool unscaled = false;

    int32_t time_of(uint64_t tick) const
    {
        if (unscaled)
            return static_cast<int32_t>(std::min<uint64_t>(tick, TIME_LIMIT));
        const auto after = std::upper_bound(map.begin(), map.end(), tick,
                                            [](uint64_t t, const TempoSegment& s) { return t < s.tick; });
        const int64_t elapsed = elapsed_at(*(after - 1), tick);
        const int64_t per_second = int64_t{division} * MICROSECONDS;
        const int64_t rest = elapsed % per_second;
        const int64_t time =
            elapsed / per_second * time_unit + (rest * time_unit + per_second / 2) / per_second;
        return static_cast<int32_t>(std::min(time, TIME_LIMIT));
    }
};

TimeScale time_scale(const SmfScan& scan)
{
    TimeScale scale;
    scale.map = tempo_map(scan);
    scale.division = scan.division;
    scale.time_unit = exact_time_unit(scale.map, scan.division);
    scale.unscaled = scale.time_unit > 0;
    if (!scale.unscaled)
        scale.time_unit = SMF_CONVERTED_TIME_UNIT;
    return scale;
}

// The event as the list holds it, or nothing for a kind the list does not hold.
std::optional<MidiEvent> list_event(const SmfEvent& e)
{
    const int kind = e.status & 0xF0;
    const bool kept = kind == MIDI_NOTE_OFF || kind == MIDI_NOTE_ON || kind == MIDI_PITCH_BEND ||
                      (kind == MIDI_CONTROL_CHANGE && e.data1 == MIDI_EXPRESSION_CONTROLLER);
    if (e.status >= 0xF0 || !kept)
        return std::nullopt;
    MidiEvent event;
    event.status = e.status;
    event.data1 = e.data1;
    event.data2 = e.data2;
    if (kind == MIDI_NOTE_ON && e.data2 == 0)  // the usual way of ending a note in running status
        event.status = static_cast<uint8_t>(MIDI_NOTE_OFF | (e.status & 0x0F));
    return event;
}

struct TimedEvent {
    uint64_t tick = 0;
    MidiEvent event;
};

// Every kept event of every track, ordered by tick; equal ticks keep track and file order.
std::vector<TimedEvent> merged_events(const SmfScan& scan)
{
    std::vector<TimedEvent> merged;
    for (const SmfTrack& track : scan.tracks) {
        for (const SmfEvent& e : track.events) {
            if (const std::optional<MidiEvent> event = list_event(e))
                merged.push_back({e.tick, *event});
        }
    }
    std::stable_sort(merged.begin(), merged.end(),
                     [](const TimedEvent& a, const TimedEvent& b) { return a.tick < b.tick; });
    return merged;
}

} // namespace

SmfSequence read_smf_sequence(const SmfScan& scan)
{
    const TimeScale scale = time_scale(scan);
    SmfSequence sequence;
    sequence.time_unit = scale.time_unit;
    const std::vector<TimedEvent> merged = merged_events(scan);
    sequence.events.reserve(merged.size());
    for (TimedEvent timed : merged) {
        timed.event.time = scale.time_of(timed.tick);
        sequence.events.push_back(timed.event);
        sequence.channels = std::max(sequence.channels, event_channel(timed.event) + 1);
    }
    if (!sequence.events.empty())
        sequence.last_event_time = static_cast<uint32_t>(sequence.events.back().time);
    return sequence;
}
