#include "support/midi_events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace test {

MidiEvent event(int32_t time, int status, int data1, int data2, int tag)
{
    return MidiEvent{time, static_cast<uint8_t>(status), static_cast<uint8_t>(data1), static_cast<uint8_t>(data2),
                     static_cast<uint8_t>(tag)};
}

void load_events(const std::vector<MidiEvent>& events, int32_t channels_used)
{
    create_event_list(static_cast<int32_t>(events.size()));
    for (const MidiEvent& e : events)
        append_event(e);
    midi_event_list.channels_used = channels_used;
}

std::vector<MidiEvent> list_events()
{
    const MidiEventList& list = midi_event_list;
    const size_t stored = list.events.size();
    size_t count = static_cast<size_t>(std::max(list.event_count, 0));
    if (list.event_count < 0 || count > stored) {
        ADD_FAILURE() << "event_count " << list.event_count << " outside the " << stored << " stored events";
        count = std::min(count, stored);
    }
    return std::vector<MidiEvent>(list.events.begin(), list.events.begin() + static_cast<std::ptrdiff_t>(count));
}

std::string describe(const MidiEvent& e)
{
    char text[64];
    std::snprintf(text, sizeof text, "%02X %d %d @%d t%d", e.status, e.data1, e.data2, e.time, e.tag);
    return text;
}

std::vector<std::string> describe_all(const std::vector<MidiEvent>& events)
{
    std::vector<std::string> lines;
    for (const MidiEvent& e : events)
        lines.push_back(describe(e));
    return lines;
}

std::vector<std::string> describe_list() { return describe_all(list_events()); }

} // namespace test
