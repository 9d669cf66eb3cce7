// What the player asks the piano roll to draw, handed from the thread that plays to the UI
// thread that paints. The player only fills it; the roll animation drains it.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "midi/midi_event_list.h"

enum class RollDrawKind : uint8_t {
    background,  // draw_roll_background with span; starts a new roll (and its RollDrawState)
    ghost_event, // draw_ghost_event: the grey outline roll drawn at start
    note_event,  // draw_note_event with key marks: an event the player has just sent
    end,         // playback stopped: the roll is complete
};

struct RollDrawItem {
    RollDrawKind kind = RollDrawKind::background;
    MidiEvent event;        // as in the list, never transposed
    uint32_t position = 0;  // ghost events in ticks, note events in ms
    uint32_t span = 0;      // the same unit as position
    bool highlight = false; // the event is the selected note's note-on or note-off
};

class RollDrawQueue {
public:
    void push(const RollDrawItem& item);
    // Everything pushed since the last take, in order; the queue is then empty.
    std::vector<RollDrawItem> take();
    void clear();

private:
    std::mutex mutex_;
    std::vector<RollDrawItem> items_;
};
