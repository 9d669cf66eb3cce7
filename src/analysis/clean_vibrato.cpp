#include "analysis/clean_vibrato.h"

#include "analysis/level_amplitude.h"

namespace {

constexpr int32_t LAST_STEP = 23;

bool centred(const VibratoRules& rules, int32_t step)
{
    return step > rules.edge_steps && step < LAST_STEP - rules.edge_steps;
}

void count(VibratoWindow& w, const AnalysisBlock& b, int64_t sign)
{
    for (size_t note = 0; note < MIDI_NOTE_COUNT; ++note) {
        if (b.levels[note] > 0 && centred(w.rules, b.steps[note]))
            w.centred[note] += sign * level_amplitude(b.levels[note]);
    }
}

void move_level(AnalysisBlock& out, const AnalysisBlock& in, size_t from, size_t to)
{
    if (in.levels[from] > out.levels[to]) {
        out.levels[to] = in.levels[from];
        out.steps[to] = in.steps[from];
    }
    out.levels[from] = 0;
}

AnalysisBlock fold(const VibratoWindow& w, const AnalysisBlock& in)
{
    AnalysisBlock out = in;
    for (size_t note = 0; note < MIDI_NOTE_COUNT; ++note) {
        if (in.levels[note] <= 0)
            continue;
        const int32_t step = in.steps[note];
        if (step <= w.rules.edge_steps && note > 0 && w.centred[note - 1] > w.centred[note])
            move_level(out, in, note, note - 1);
        else if (step >= LAST_STEP - w.rules.edge_steps && note + 1 < MIDI_NOTE_COUNT &&
                 w.centred[note + 1] > w.centred[note])
            move_level(out, in, note, note + 1);
    }
    return out;
}

} // namespace

void vibrato_push(VibratoWindow& w, const AnalysisBlock& block)
{
    w.blocks.push_back(block);
}

bool vibrato_pop(VibratoWindow& w, bool at_end, AnalysisBlock& folded)
{
    if (w.next_out >= w.blocks.size())
        return false;
    const int64_t position = w.blocks[w.next_out].position;
    const int64_t reach = position + w.rules.around_samples;
    if (!at_end && w.blocks.back().position <= reach)
        return false;  // blocks within reach may still come
    while (w.counted < w.blocks.size() && w.blocks[w.counted].position <= reach)
        count(w, w.blocks[w.counted++], 1);
    while (w.blocks.front().position < position - w.rules.around_samples) {
        count(w, w.blocks.front(), -1);
        w.blocks.pop_front();
        --w.next_out;
        --w.counted;
    }
    folded = fold(w, w.blocks[w.next_out++]);
    return true;
}
