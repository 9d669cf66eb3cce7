#include "midi/note_editing.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "midi/midi_event_list.h"
#include "midi/note_selection.h"

namespace {

struct NotePositions {
    int32_t on = -1;
    int32_t off = -1;
};

enum class Placement { on_pending, off_pending, placed };

size_t at(int32_t index) { return static_cast<size_t>(index); }

// The valid events of the list, as the backup an operation rebuilds the list from.
std::vector<MidiEvent> copy_of_list()
{
    const MidiEventList& list = midi_event_list;
    return std::vector<MidiEvent>(list.events.begin(), list.events.begin() + list.event_count);
}

// Makes the rebuilt events the list; the array only ever grows, so a rebuild that came
// out longer than planned still fits.
void store_events(const std::vector<MidiEvent>& rebuilt)
{
    MidiEventList& list = midi_event_list;
    if (rebuilt.size() > list.events.size())
        list.events.resize(rebuilt.size());
    std::copy(rebuilt.begin(), rebuilt.end(), list.events.begin());
    list.event_count = static_cast<int32_t>(rebuilt.size());
}

bool is_note_of_pitch(const MidiEvent& e, int32_t note)
{
    return (is_note_on(e) || is_note_off(e)) && e.data1 == note;
}

MidiEvent edited_event(const MidiEvent& source, int32_t time, uint8_t velocity)
{
    return MidiEvent{time, source.status, static_cast<uint8_t>(note_selection.selected_note),
                     velocity, source.tag};
}

// Writes the backup anew with the edited note placed by time: its note-on before the first
// event later than the on time, then its note-off before the first event after that which
// is later than the off time (never both before one event). With leave_out_old the
// selected note's old events are not copied.
NotePositions place_note(const std::vector<MidiEvent>& backup, int32_t old_on, int32_t old_off,
                         bool leave_out_old)
{
    const MidiEvent new_on = edited_event(backup[at(old_on)], note_selection.selected_on_time,
                                          static_cast<uint8_t>(note_selection.selected_velocity));
    const MidiEvent new_off = edited_event(backup[at(old_off)], note_selection.selected_off_time, 0);
    std::vector<MidiEvent> rebuilt;
    rebuilt.reserve(backup.size() + 2);
    NotePositions placed;
    Placement state = Placement::on_pending;
    const auto write = [&](const MidiEvent& e, int32_t& position, Placement next) {
        position = static_cast<int32_t>(rebuilt.size());
        rebuilt.push_back(e);
        state = next;
    };
    for (size_t j = 0; j < backup.size(); ++j) {
        const MidiEvent& e = backup[j];
        if (state == Placement::on_pending) {
            if (e.time > new_on.time)
                write(new_on, placed.on, Placement::off_pending);
        } else if (state == Placement::off_pending && e.time > new_off.time) {
            write(new_off, placed.off, Placement::placed);
        }
        if (leave_out_old && (j == at(old_on) || j == at(old_off)))
            continue;
        rebuilt.push_back(e);
    }
    if (state == Placement::on_pending)
        write(new_on, placed.on, Placement::off_pending);
    if (state == Placement::off_pending)
        write(new_off, placed.off, Placement::placed);
    store_events(rebuilt);
    return placed;
}

// Copies the events before the edited note-on, dropping a same-pitch note-on that starts
// with it, and tells whether a same-pitch note is still sounding there.
bool copy_before_edited_note(const std::vector<MidiEvent>& backup, int32_t n, int32_t note,
                             std::vector<MidiEvent>& out)
{
    const int32_t on_time = backup[at(n)].time;
    bool open = false;
    for (int32_t i = 0; i < n; ++i) {
        const MidiEvent& e = backup[at(i)];
        if (is_note_of_pitch(e, note)) {
            if (!open && is_note_on(e)) {
                if (e.time == on_time)
                    continue;
                open = true;
            } else if (open && is_note_off(e)) {
                open = false;
            }
        }
        out.push_back(e);
    }
    return open;
}

// Ends the sounding same-pitch note where the edited one begins; its own note-off later in
// the list goes.
void cut_sounding_note(std::vector<MidiEvent>& backup, int32_t n, int32_t k, int32_t note,
                       std::vector<MidiEvent>& out)
{
    const MidiEvent& on = backup[at(n)];
    out.push_back(MidiEvent{on.time, backup[at(k)].status, static_cast<uint8_t>(note), 0, on.tag});
    for (int32_t j = n + 1; j < static_cast<int32_t>(backup.size()); ++j) {
        if (j != k && is_note_off(backup[at(j)]) && backup[at(j)].data1 == note) {
            mark_deleted(backup[at(j)]);
            return;
        }
    }
}

// Copies the events inside the edited note except same-pitch notes, and returns the
// same-pitch note-on still sounding at its end (the first after the span's last same-pitch
// note-off), or nullptr.
const MidiEvent* copy_inside_edited_note(const std::vector<MidiEvent>& backup, int32_t n, int32_t k,
                                         int32_t note, std::vector<MidiEvent>& out)
{
    const MidiEvent* covered = nullptr;
    for (int32_t j = n + 1; j < k; ++j) {
        const MidiEvent& e = backup[at(j)];
        if (e.status == 0)
            continue;
        if (is_note_of_pitch(e, note)) {
            if (is_note_off(e))
                covered = nullptr;
            else if (!covered)
                covered = &e;
            continue;
        }
        out.push_back(e);
    }
    return covered;
}

// Rewrites the list so that no other note of the edited pitch sounds together with the
// edited note at n..k: a note sounding at its start is cut there, notes starting inside it
// are dropped, and one still sounding at its end resumes there.
void resolve_overlaps(NotePositions edited)
{
    std::vector<MidiEvent> backup = copy_of_list();
    const int32_t n = edited.on;
    const int32_t k = edited.off;
    const int32_t note = note_selection.selected_note;
    std::vector<MidiEvent> out;
    out.reserve(backup.size() + 1);

    if (copy_before_edited_note(backup, n, note, out))
        cut_sounding_note(backup, n, k, note, out);
    out.push_back(backup[at(n)]);
    const MidiEvent* covered = copy_inside_edited_note(backup, n, k, note, out);
    const MidiEvent& off = backup[at(k)];
    out.push_back(off);
    if (covered)
        out.push_back(MidiEvent{off.time, covered->status, static_cast<uint8_t>(note), covered->data2,
                                covered->tag});
    for (size_t j = at(k) + 1; j < backup.size(); ++j) {
        if (backup[j].status != 0)
            out.push_back(backup[j]);
    }
    store_events(out);
}

} // namespace

void delete_selected_note()
{
    if (!selection_is_valid())
        return;
    MidiEventList& list = midi_event_list;
    const auto first = list.events.begin();
    const auto on = first + list.selected_on;
    const auto off = first + list.selected_off;
    std::copy(on + 1, off, on);
    std::copy(off + 1, first + list.event_count, off - 1);
    list.event_count -= 2;
    deselect_note();
}

void modify_selected_note()
{
    if (!selection_is_valid())
        return;
    MidiEventList& list = midi_event_list;
    MidiEvent& on = list.events[at(list.selected_on)];
    MidiEvent& off = list.events[at(list.selected_off)];
    on.data1 = static_cast<uint8_t>(note_selection.selected_note);
    on.data2 = static_cast<uint8_t>(note_selection.selected_velocity);
    off.data1 = static_cast<uint8_t>(note_selection.selected_note);
    off.data2 = 0;
    if (note_selection.selected_on_time != on.time || note_selection.selected_off_time != off.time) {
        const std::vector<MidiEvent> backup = copy_of_list();
        resolve_overlaps(place_note(backup, list.selected_on, list.selected_off, true));
    }
    deselect_note();
}

void add_note()
{
    if (!selection_is_valid())
        return;
    MidiEventList& list = midi_event_list;
    const std::vector<MidiEvent> backup = copy_of_list();
    list.events.resize(list.events.size() + 2);
    resolve_overlaps(place_note(backup, list.selected_on, list.selected_off, false));
    deselect_note();
}
