// Attacks heard in the recording: rendered tones with and without attacks, and the notes a
// transcription found in them; each row says which notes remain and where they start.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/clean_attacks.h"
#include "signal/wav_synth.h"

namespace {

constexpr int32_t RATE = synth::RATE;

int64_t at_seconds(double seconds)
{
    return static_cast<int64_t>(std::lround(seconds * RATE));
}

// A tone of three partials from `from` to `to` seconds, starting at once, with a tremolo of
// `tremolo` (share of the amplitude) at `tremolo_hz`, `loudness` times the others' amplitude.
struct Tone {
    int32_t note;
    double from;
    double to;
    double tremolo = 0.0;
    double loudness = 1.0;
    double tremolo_hz = 5.0;
};

std::vector<int16_t> render(const std::vector<Tone>& tones, double seconds, double gain)
{
    std::vector<double> signal(static_cast<size_t>(at_seconds(seconds)), 0.0);
    for (const Tone& t : tones) {
        const double hz = synth::midi_note_frequency(t.note);
        for (int64_t i = at_seconds(t.from); i < at_seconds(t.to); ++i) {
            const double s = static_cast<double>(i) / RATE;
            const double swell = 1.0 - t.tremolo * (0.5 + 0.5 * std::sin(2.0 * std::numbers::pi * t.tremolo_hz * s));
            const double amplitude = swell * t.loudness * gain * 6000.0;
            for (int32_t k = 1; k <= 3; ++k)
                signal[static_cast<size_t>(i)] += amplitude / k * std::sin(2.0 * std::numbers::pi * hz * k * s);
        }
    }
    return synth::to_pcm16(signal);
}

CleanNote found(int32_t note, double from, double to)
{
    return CleanNote{at_seconds(from), at_seconds(to), note, 5000, 0};
}

struct Remains {
    int32_t note;
    double start;       // seconds, within 25 ms
    double end = -1.0;  // seconds when checked (a join keeps the later piece's end)
};

struct AttackCase {
    std::string situation;
    std::vector<Tone> tones;
    std::vector<CleanNote> notes;
    std::vector<Remains> expected;
    std::vector<Tone> levels = {};  // where the analysis saw each note; the tones when empty
};

// An analysis grid of 3 s with a steady level wherever a span sounds.
LevelMatrix grid_of(const std::vector<Tone>& spans)
{
    LevelMatrix m = make_level_matrix(static_cast<int32_t>(at_seconds(3.0) / CLEAN_GRID_HOP), CLEAN_GRID_HOP);
    for (const Tone& t : spans) {
        for (int64_t g = at_seconds(t.from) / CLEAN_GRID_HOP; g < at_seconds(t.to) / CLEAN_GRID_HOP; ++g)
            m.at(t.note, static_cast<int32_t>(g)) = 5000;
    }
    return m;
}

void PrintTo(const AttackCase& c, std::ostream* os)
{
    *os << c.situation;
}

class AttackTable : public ::testing::TestWithParam<AttackCase> {};

TEST_P(AttackTable, JoinsWhatWasNotPlayedAgainAndStartsNotesAtTheirAttacks)
{
    const AttackCase& c = GetParam();
    const LevelMatrix levels = grid_of(c.levels.empty() ? c.tones : c.levels);
    // The same whether the recording was made loud or 26 dB softer.
    for (const double gain : {1.0, 0.05}) {
        const std::vector<int16_t> samples = render(c.tones, 3.0, gain);
        const RecordingView recording{samples, 1, static_cast<int64_t>(samples.size())};
        const std::vector<CleanNote> result = clean_follow_attacks(c.notes, AttackRules{}, recording, levels);
        ASSERT_EQ(result.size(), c.expected.size()) << c.situation << ", gain " << gain;
        for (size_t i = 0; i < result.size(); ++i) {
            EXPECT_EQ(result[i].note, c.expected[i].note) << c.situation << ", gain " << gain;
            EXPECT_NEAR(static_cast<double>(result[i].start_samples) / RATE, c.expected[i].start, 0.025)
                << c.situation << ", gain " << gain;
            if (c.expected[i].end >= 0.0) {
                EXPECT_NEAR(static_cast<double>(result[i].end_samples) / RATE, c.expected[i].end, 0.025)
                    << c.situation << ", gain " << gain;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Situations, AttackTable,
    ::testing::Values(
        AttackCase{"a held tone swelling with tremolo, found in two pieces, is one note",
                   {{57, 0.1, 2.5, 0.3}}, {found(57, 0.1, 0.9), found(57, 1.0, 2.5)}, {{57, 0.1, 2.5}}},
        AttackCase{"... and so is one whose swells are attacks of sorts, none above the others",
                   {{57, 0.1, 2.5, 0.95, 1.0, 7.0}}, {found(57, 0.1, 1.0), found(57, 1.05, 2.5)}, {{57, 0.1, 2.5}}},
        AttackCase{"a tone played again after a short rest stays two notes",
                   {{57, 0.1, 0.9}, {57, 1.0, 2.5}}, {found(57, 0.1, 0.9), found(57, 1.0, 2.5)}, {{57, 0.1}, {57, 1.0}}},
        AttackCase{"... also after a tone that swelled",
                   {{57, 0.1, 0.9, 0.5, 1.0, 7.0}, {57, 1.0, 2.5}}, {found(57, 0.1, 0.9), found(57, 1.0, 2.5)},
                   {{57, 0.1}, {57, 1.0}}},
        AttackCase{"pieces too far apart stay apart (below C3, where no attack is needed)", {{45, 0.1, 2.5}},
                   {found(45, 0.1, 0.5), found(45, 1.3, 2.5)}, {{45, 0.1}, {45, 1.3}}},
        AttackCase{"a piece of another pitch between them does not keep them apart",
                   {{57, 0.1, 2.5, 0.3}}, {found(57, 0.1, 0.9), found(40, 0.95, 1.2), found(57, 1.0, 2.5)},
                   {{57, 0.1, 2.5}, {40, 0.95}}},
        AttackCase{"a note found late starts at its attack", {{60, 0.5, 1.5}}, {found(60, 0.58, 1.5)}, {{60, 0.5}}},
        AttackCase{"a note found at its attack stays there", {{60, 0.5, 1.5}}, {found(60, 0.5, 1.5)}, {{60, 0.5}}},
        AttackCase{"a repetition found late starts at its attack and stays apart",
                   {{60, 0.3, 0.55}, {60, 0.6, 1.5}}, {found(60, 0.3, 0.55), found(60, 0.68, 1.5)},
                   {{60, 0.3}, {60, 0.6}}},
        AttackCase{"no attack nearby: the onset stays", {{45, 0.2, 2.0}}, {found(45, 1.0, 2.0)}, {{45, 1.0}}},
        AttackCase{"a note found long after its attack, its level held since, starts at the attack",
                   {{60, 0.5, 2.0}}, {found(60, 0.8, 2.0)}, {{60, 0.5}}},
        AttackCase{"... and at the first step of an attack that rose in steps",
                   {{60, 0.6, 2.0, 0.0, 0.3}, {60, 0.9, 2.0, 0.0, 0.7}}, {found(60, 1.2, 2.0)}, {{60, 0.6}},
                   {{60, 0.6, 2.0}}},
        AttackCase{"... but not when its level came only just before it was found",
                   {{45, 0.5, 2.0}}, {found(45, 0.8, 2.0)}, {{45, 0.8}}, {{45, 0.75, 2.0}}},
        AttackCase{"a note from C3 up that was never attacked (a held note's partial standing out) goes",
                   {{57, 0.1, 2.5}}, {found(57, 0.1, 2.5), found(69, 1.0, 1.6)}, {{57, 0.1}}},
        AttackCase{"a soft note entering on a held note's partial goes: a swell of the partial looks the same",
                   {{57, 0.1, 2.5}, {69, 1.0, 1.6, 0.0, 0.06}}, {found(57, 0.1, 2.5), found(69, 1.0, 1.6)},
                   {{57, 0.1}}},
        AttackCase{"the same soft note off the held note's partials stays",
                   {{57, 0.1, 2.5}, {70, 1.0, 1.6, 0.0, 0.06}}, {found(57, 0.1, 2.5), found(70, 1.0, 1.6)},
                   {{57, 0.1}, {70, 1.0}}}),
    [](const auto& info) { return "case_" + std::to_string(info.index); });

TEST(AttackFollowing, ANoteKeepsTheFluxOfTheAttackItStartsAt)
{
    const std::vector<Tone> tones = {{60, 0.5, 2.5}, {40, 0.0, 2.5}};
    const std::vector<int16_t> samples = render(tones, 3.0, 1.0);
    const RecordingView recording{samples, 1, static_cast<int64_t>(samples.size())};
    // The low note, found a second after it began, shows no attack there.
    const std::vector<CleanNote> notes = {found(60, 0.55, 2.5), found(40, 1.5, 2.5)};
    const std::vector<CleanNote> result = clean_follow_attacks(notes, AttackRules{}, recording, grid_of(tones));
    ASSERT_EQ(result.size(), 2u);
    EXPECT_GE(result[0].onset_flux, AttackRules{}.attack_flux);
    EXPECT_EQ(result[1].onset_flux, 0);
}

TEST(AttackFollowing, WithoutSamplesTheNotesStayAsTheyAre)
{
    const std::vector<CleanNote> notes{found(57, 1.0, 2.0), found(57, 0.1, 0.9)};
    const std::vector<CleanNote> result =
        clean_follow_attacks(notes, AttackRules{}, RecordingView{}, make_level_matrix(0, CLEAN_GRID_HOP));
    ASSERT_EQ(result.size(), 2u);
    EXPECT_EQ(result[0].start_samples, at_seconds(0.1));
    EXPECT_EQ(result[1].start_samples, at_seconds(1.0));
}

TEST(NoteBands, ATonesPowerLiesInItsNotesBandAndStereoCountsAsItsMean)
{
    const NoteBandTables tables = make_note_band_tables();
    for (const double note : {57.0, 69.0, 81.0, 93.0}) {
        const std::vector<int16_t> tone = synth::sine(synth::midi_note_frequency(note), 8000.0, RATE);
        const RecordingView mono{tone, 1, static_cast<int64_t>(tone.size())};
        const auto power = note_band_power(tables, mono, RATE / 2);
        const auto loudest = static_cast<double>(std::max_element(power.begin(), power.end()) - power.begin());
        EXPECT_EQ(loudest, note);

        const std::vector<int16_t> stereo = synth::interleave(tone, tone);
        const RecordingView both{stereo, 2, static_cast<int64_t>(tone.size())};
        EXPECT_EQ(note_band_power(tables, both, RATE / 2), power);
    }
    const std::vector<int16_t> quiet = synth::silence(RATE);
    const auto silent = note_band_power(tables, RecordingView{quiet, 1, RATE}, RATE / 2);
    EXPECT_EQ(*std::max_element(silent.begin(), silent.end()), 0.0);
    // Windows reaching outside the recording read silence there, not memory.
    const auto edge = note_band_power(tables, RecordingView{quiet, 1, RATE}, RATE + NOTE_BAND_WINDOW / 2);
    EXPECT_EQ(*std::max_element(edge.begin(), edge.end()), 0.0);
}

} // namespace
