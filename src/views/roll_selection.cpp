#include "views/roll_selection.h"

#include <array>
#include <cstddef>

#include "core/settings.h"
#include "midi/midi_event_list.h"
#include "midi/note_selection.h"
#include "views/display_settings.h"
#include "views/plot_frame.h"
#include "views/roll_range.h"

namespace {

// One of the three candidate slots: a note opened at or before the click time, and the
// note it yielded that was still sounding at the click time.
struct CandidateSlot {
    int32_t open_note = -1;  // -1: free
    int32_t open_on = -1;
    int32_t hit_note = -1;   // -1: no hit
    int32_t hit_on = -1;
    int32_t hit_off = -1;
};

using Slots = std::array<CandidateSlot, 3>;

// The click time in ticks: the click's x in the displayed range. The range's end defaults
// to the data's end in whole milliseconds.
uint32_t click_time_at(int32_t x, int32_t last_time)
{
    const int64_t time_unit = conversion_settings.TIME_UNIT;
    const DisplaySettings& d = display_settings;
    int64_t span = last_time;
    int64_t start_tick = 0;
    const int64_t end = d.display_end_ms == -1 ? data_end_ms(last_time) : int64_t{d.display_end_ms};
    if (end > d.display_start_ms) {
        span = (end - d.display_start_ms) * time_unit / 1000;
        start_tick = d.display_start_ms * time_unit / 1000;
    }
    // Unsigned, as the times are compared; the product in 64 bits so long data does not wrap.
    const uint64_t offset = static_cast<uint64_t>(x - plot_frame.plot_left) * static_cast<uint32_t>(span) /
                            static_cast<uint64_t>(plot_frame.plot_width);
    return static_cast<uint32_t>(offset + static_cast<uint64_t>(start_tick));
}

// Runs the scan over the list; returns the slots with their hits.
Slots scan_candidates(uint32_t click_time, int64_t click_note)
{
    Slots slots;
    const std::vector<MidiEvent>& events = midi_event_list.events;
    const int32_t count = valid_event_count();
    auto holds_hit = [&](size_t s) { return slots[s].hit_note != -1; };
    for (int32_t i = 0; i < count; ++i) {
        const MidiEvent& e = events[static_cast<size_t>(i)];
        const uint32_t time = static_cast<uint32_t>(e.time);
        if (is_note_on(e)) {
            size_t s = 0;
            while (s < 3 && slots[s].open_note != -1)
                ++s;
            if (s < 3) {
                if (time <= click_time && e.data1 - 1 <= click_note && click_note <= e.data1 + 1) {
                    slots[s].open_note = e.data1;
                    slots[s].open_on = i;
                }
                continue;
            }
            if (time > click_time)
                break;  // every slot holds an open note and the notes now start after the click
            continue;
        }
        if (!is_note_off(e))
            continue;
        for (size_t s = 0; s < 3; ++s) {
            if (slots[s].open_note != e.data1)
                continue;
            bool done = false;
            if (click_time < time) {
                slots[s].hit_note = e.data1;
                slots[s].hit_on = slots[s].open_on;
                slots[s].hit_off = i;
                done = holds_hit((s + 1) % 3) && holds_hit((s + 2) % 3);
            }
            slots[s].open_note = -1;
            if (done)
                return slots;
            break;
        }
    }
    return slots;
}

// The hit to select: first one that is neither the selected nor the previously selected
// note, then one that is not the selected note, then any.
const CandidateSlot* choose_hit(const Slots& slots)
{
    const int32_t selected = midi_event_list.selected_on;
    const int32_t previous = note_selection.previous_selected_on;
    for (const CandidateSlot& s : slots)
        if (s.hit_note != -1 && s.hit_on != selected && s.hit_on != previous)
            return &s;
    for (const CandidateSlot& s : slots)
        if (s.hit_note != -1 && s.hit_on != selected)
            return &s;
    for (const CandidateSlot& s : slots)
        if (s.hit_note != -1)
            return &s;
    return nullptr;
}

} // namespace

void select_note_at(int32_t x, int32_t y)
{
    const int32_t count = valid_event_count();
    const PlotFrame& frame = plot_frame;
    if (count == 0 || frame.plot_width <= 0 || frame.plot_height <= 0 || x < frame.plot_left)
        return;
    const int32_t last_time = midi_event_list.events[static_cast<size_t>(count - 1)].time;
    const uint32_t click_time = click_time_at(x, last_time);
    const DisplaySettings& d = display_settings;
    const int64_t rows = int64_t{d.display_note_high} - d.display_note_low + 1;
    const int64_t click_note = d.display_note_high - rows * (int64_t{y} - frame.plot_top) / frame.plot_height - 1;
    const Slots slots = scan_candidates(click_time, click_note);
    if (const CandidateSlot* hit = choose_hit(slots))
        select_note_events(hit->hit_on, hit->hit_off);
}
