#include "midi/rate_limit.h"

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

#include "core/settings.h"
#include "midi/event_statistics.h"
#include "midi/midi_event_list.h"

namespace {


struct Candidate {
    int32_t note_on = 0;
    int32_t note_off = 0;
    int64_t weight = 0;  // duration x velocity; can pass 32 bits for long notes
};

struct Window {
    int32_t first = 0;
    int32_t last = 0;   // inclusive
    int64_t length = 0; // ticks
};

// For every event, the index of the next note-off after it with the same channel and note
// number as the event (-1 when none), following note-offs along a chain. Built once so that
// finding a note's note-off does not rescan the rest of the list.
std::vector<int32_t> next_note_offs(const std::vector<MidiEvent>& events, int32_t count)
{
    std::vector<int32_t> next(static_cast<size_t>(count), -1);
    std::vector<int32_t> latest(16 * 256, -1);  // by channel and data1
    for (int32_t i = count - 1; i >= 0; --i) {
        const MidiEvent& e = events[static_cast<size_t>(i)];
        const size_t key = static_cast<size_t>(event_channel(e)) * 256 + e.data1;
        next[static_cast<size_t>(i)] = latest[key];
        if (is_note_off(e))
            latest[key] = i;
    }
    return next;
}

// First note-off after the note-on that is still in the list, or -1.
int32_t find_note_off(const std::vector<MidiEvent>& events, const std::vector<int32_t>& next, int32_t note_on)
{
    int32_t k = next[static_cast<size_t>(note_on)];
    while (k != -1 && events[static_cast<size_t>(k)].status == 0)
        k = next[static_cast<size_t>(k)];
    return k;
}

// Counts of marked positions, for "how many heavier notes lie between two positions".
class PositionCounter {
public:
    explicit PositionCounter(size_t size) : tree_(size + 1, 0) {}
    void mark(size_t position)
    {
        for (size_t i = position + 1; i < tree_.size(); i += i & (~i + 1))
            ++tree_[i];
    }
    // Marked positions below end.
    int64_t below(size_t end) const
    {
        int64_t sum = 0;
        for (size_t i = end; i > 0; i -= i & (~i + 1))
            sum += tree_[i];
        return sum;
    }

private:
    std::vector<int32_t> tree_;
};

// Appends the order in which the exchange sort leaves one class of equal weights. Reading
// the class in list order, every heavier note that lies after the first k notes of the
// class (and before the next one) turns those k notes by one place: the first of them
// moves behind the others. The turning is kept as a ring with a moving start.
void append_class_order(std::span<const int32_t> positions, size_t size, const PositionCounter& heavier,
                        std::vector<int32_t>& next, std::vector<int32_t>& prev, std::vector<int32_t>& order)
{
    int32_t start = -1;
    for (size_t k = 0; k < positions.size(); ++k) {
        const int32_t p = positions[k];
        if (start == -1) {
            start = next[static_cast<size_t>(p)] = prev[static_cast<size_t>(p)] = p;
        } else {  // joins the ring at its end, just before the start
            const int32_t last = prev[static_cast<size_t>(start)];
            next[static_cast<size_t>(last)] = p;
            prev[static_cast<size_t>(p)] = last;
            next[static_cast<size_t>(p)] = start;
            prev[static_cast<size_t>(start)] = p;
        }
        const size_t end = k + 1 < positions.size() ? static_cast<size_t>(positions[k + 1]) : size;
        const int64_t turns = (heavier.below(end) - heavier.below(static_cast<size_t>(p) + 1)) %
                              static_cast<int64_t>(k + 1);
        for (int64_t t = 0; t < turns; ++t)
            start = next[static_cast<size_t>(start)];
    }
    for (size_t k = 0; k < positions.size(); ++k) {
        order.push_back(start);
        start = next[static_cast<size_t>(start)];
    }
}

// Largest weight first; ties keep exactly the order the exchange sort leaves, which decides
// which of several equal notes is removed first.
void sort_by_weight(std::vector<Candidate>& candidates)
{
    std::vector<int64_t> weights;
    weights.reserve(candidates.size());
    for (const Candidate& c : candidates)
        weights.push_back(c.weight);
    std::vector<Candidate> sorted;
    sorted.reserve(candidates.size());
    for (int32_t i : exchange_sort_order(weights))
        sorted.push_back(candidates[static_cast<size_t>(i)]);
    candidates = std::move(sorted);
}

std::vector<Candidate> collect_candidates(const std::vector<MidiEvent>& events, const std::vector<int32_t>& next,
                                          const Window& window)
{
    std::vector<Candidate> candidates;
    for (int32_t i = window.first; i <= window.last; ++i) {
        const MidiEvent& on = events[static_cast<size_t>(i)];
        if (!is_note_on(on))
            continue;
        const int32_t k = find_note_off(events, next, i);
        if (k == -1 || events[static_cast<size_t>(k)].time <= on.time)
            continue;
        const int64_t duration = static_cast<int64_t>(events[static_cast<size_t>(k)].time) - on.time;
        candidates.push_back({i, k, duration * on.data2});
    }
    return candidates;
}

// Deletes one note and, with three or more channels in use, the controller and bend events
// of its channel between its note-on and note-off; returns how many events of the window
// this removed.
int32_t remove_note(std::vector<MidiEvent>& events, const Candidate& c, const Window& window)
{
    int32_t removed = 0;
    const int channel = event_channel(events[static_cast<size_t>(c.note_on)]);
    if (midi_event_list.channels_used > 2) {
        for (int32_t i = c.note_on + 1; i < c.note_off; ++i) {
            MidiEvent& e = events[static_cast<size_t>(i)];
            if (e.status >= MIDI_CONTROL_CHANGE && event_channel(e) == channel) {
                mark_deleted(e);
                if (i <= window.last)
                    ++removed;
            }
        }
    }
    mark_deleted(events[static_cast<size_t>(c.note_on)]);
    mark_deleted(events[static_cast<size_t>(c.note_off)]);
    removed += c.note_off <= window.last ? 2 : 1;
    return removed;
}

void limit_window(std::vector<MidiEvent>& events, const std::vector<int32_t>& next, const Window& window)
{
    int32_t count = 0;
    for (int32_t i = window.first; i <= window.last; ++i)
        count += events[static_cast<size_t>(i)].status != 0 ? 1 : 0;
    std::vector<Candidate> candidates = collect_candidates(events, next, window);
    sort_by_weight(candidates);
    const auto budget =
        static_cast<int64_t>(static_cast<double>(conversion_settings.BIT_RATE) * static_cast<double>(window.length) /
                             BITS_PER_EVENT_WINDOW);
    for (auto c = candidates.rbegin(); c != candidates.rend() && count > budget; ++c)
        count -= remove_note(events, *c, window);
}

// One past the last event of the window that starts at first and ends at end: events are
// taken in list order up to the first one later than end; the final event of the list
// belongs to the window whose scan reaches it.
int32_t scan_window(const std::vector<MidiEvent>& events, int32_t count, int32_t first, int64_t end)
{
    int32_t k = first;
    while (k < count && (k == count - 1 || events[static_cast<size_t>(k)].time <= end))
        ++k;
    return k;
}

} // namespace

std::vector<int32_t> exchange_sort_order(std::span<const int64_t> weights)
{
    const size_t size = weights.size();
    std::vector<int32_t> by_weight(size);
    std::iota(by_weight.begin(), by_weight.end(), 0);
    std::stable_sort(by_weight.begin(), by_weight.end(), [&](int32_t a, int32_t b) {
        return weights[static_cast<size_t>(a)] > weights[static_cast<size_t>(b)];
    });
    PositionCounter heavier(size);
    std::vector<int32_t> next(size), prev(size), order;
    order.reserve(size);
    for (size_t first = 0; first < size;) {
        const int64_t weight = weights[static_cast<size_t>(by_weight[first])];
        size_t end = first;
        while (end < size && weights[static_cast<size_t>(by_weight[end])] == weight)
            ++end;
        const std::span<const int32_t> positions(by_weight.data() + first, end - first);
        append_class_order(positions, size, heavier, next, prev, order);
        for (int32_t p : positions)
            heavier.mark(static_cast<size_t>(p));
        first = end;
    }
    return order;
}

int32_t limit_event_rate()
{
    MidiEventList& list = midi_event_list;
    const int32_t count = valid_event_count();
    if (count > 0) {
        const int64_t last_time = list.events[static_cast<size_t>(count) - 1].time;
        const int64_t windows = last_time / CODE_RATE_WINDOW_TICKS;
        if (windows >= 0) {
            const std::vector<int32_t> next = next_note_offs(list.events, count);
            const int64_t window_count = std::max<int64_t>(windows, 1);
            int32_t first = 0;
            for (int64_t w = 0; w < window_count && first < count; ++w) {
                const int64_t start = w * CODE_RATE_WINDOW_TICKS;
                const int64_t end = w == window_count - 1 ? last_time : start + CODE_RATE_WINDOW_TICKS;
                const int32_t stop = scan_window(list.events, count, first, end);
                if (stop - first < 2)
                    continue;  // too few events: they join the next window
                limit_window(list.events, next, {first, stop - 1, end - start});
                first = stop;
            }
        }
    }
    list.event_count = compact_event_list();
    return list.event_count;
}
