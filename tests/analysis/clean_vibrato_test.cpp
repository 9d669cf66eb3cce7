// Vibrato folding on short block streams: note 60 sung well inside its pitch, and levels at
// the edges of its neighbours' ranges; each row says where a level ends up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/clean_vibrato.h"

namespace {

struct Level {
    int32_t note;
    int32_t step;  // fine step 0..23
    int32_t level;
};

AnalysisBlock block_at(int32_t position, const std::vector<Level>& levels)
{
    AnalysisBlock b;
    b.position = position;
    b.duration = 200;
    b.steps.fill(12);
    for (const Level& l : levels) {
        b.levels[static_cast<size_t>(l.note)] = l.level;
        b.steps[static_cast<size_t>(l.note)] = static_cast<int8_t>(l.step);
    }
    return b;
}

// Ten blocks 256 samples apart with `held` in each, `probe` added to block 5; the folded
// stream, in order.
std::vector<AnalysisBlock> folded_stream(const std::vector<Level>& held, const Level& probe)
{
    VibratoWindow w;
    std::vector<AnalysisBlock> out;
    AnalysisBlock folded;
    for (int32_t k = 0; k < 10; ++k) {
        std::vector<Level> levels = held;
        if (k == 5)
            levels.push_back(probe);
        vibrato_push(w, block_at(k * 256, levels));
        while (vibrato_pop(w, false, folded))
            out.push_back(folded);
    }
    while (vibrato_pop(w, true, folded))
        out.push_back(folded);
    return out;
}

struct FoldCase {
    std::string situation;
    std::vector<Level> held;
    Level probe;
    int32_t expected_note;  // where the probe's level is in block 5
};

class FoldTable : public ::testing::TestWithParam<FoldCase> {};

TEST_P(FoldTable, EdgeLevelsGoToTheNeighbourHoldingTheSound)
{
    const FoldCase& c = GetParam();
    const std::vector<AnalysisBlock> out = folded_stream(c.held, c.probe);
    ASSERT_EQ(out.size(), 10u) << c.situation;
    for (int32_t k = 0; k < 10; ++k)
        EXPECT_EQ(out[static_cast<size_t>(k)].position, k * 256) << c.situation;
    const AnalysisBlock& b = out[5];
    EXPECT_EQ(b.levels[static_cast<size_t>(c.expected_note)], c.probe.level) << c.situation;
    if (c.expected_note != c.probe.note) {
        EXPECT_EQ(b.levels[static_cast<size_t>(c.probe.note)], 0) << c.situation;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, FoldTable,
    ::testing::Values(
        FoldCase{"a swing up into the next note's lower edge comes back", {{60, 12, 5000}}, {61, 1, 6000}, 60},
        FoldCase{"a swing down into the last note's upper edge comes back", {{60, 12, 5000}}, {59, 22, 6000}, 60},
        FoldCase{"a level well inside its own pitch stays", {{60, 12, 5000}}, {61, 12, 6000}, 61},
        FoldCase{"an edge level stays when its own note holds more sound", {{60, 12, 5000}, {61, 12, 7000}},
                 {61, 2, 6000}, 61},
        FoldCase{"an edge level away from the sounding note stays", {{60, 12, 5000}}, {61, 22, 6000}, 61}),
    [](const auto& info) { return "case_" + std::to_string(info.index); });

TEST(VibratoWindow, HoldsBlocksOnlyUntilTheirSurroundingsAreKnown)
{
    VibratoWindow w;
    AnalysisBlock folded;
    EXPECT_FALSE(vibrato_pop(w, true, folded)) << "nothing in, nothing out";
    vibrato_push(w, block_at(0, {{60, 12, 5000}}));
    EXPECT_FALSE(vibrato_pop(w, false, folded)) << "later blocks may still count";
    vibrato_push(w, block_at(w.rules.around_samples + 1, {{60, 12, 5000}}));
    ASSERT_TRUE(vibrato_pop(w, false, folded));
    EXPECT_EQ(folded.position, 0);
    EXPECT_FALSE(vibrato_pop(w, false, folded));
    ASSERT_TRUE(vibrato_pop(w, true, folded));
    EXPECT_EQ(folded.position, w.rules.around_samples + 1);
    EXPECT_LE(w.blocks.size(), 2u);
}

} // namespace
