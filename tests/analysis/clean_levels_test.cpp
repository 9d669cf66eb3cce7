// The clean transcription's grid read from analysis file blocks: what a block claims never
// sizes the grid beyond what the analysis can write.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "analysis/clean_levels.h"

namespace {

// Reads the blocks of `text` (the part of an analysis file after its header).
LevelMatrix read_blocks(const std::string& text)
{
    std::string copy = text;
    std::FILE* file = fmemopen(copy.data(), copy.size(), "r");
    AnalysisReader reader(file);
    LevelMatrix m = read_level_matrix(reader);
    std::fclose(file);
    return m;
}

struct GridCase {
    std::string situation;
    std::string blocks;
    int32_t frames;      // grid frames read
    int32_t level_at_0;  // level of note 60 in frame 0
};

class GridTable : public ::testing::TestWithParam<GridCase> {};

TEST_P(GridTable, ReadsWhatTheAnalysisCanWrite)
{
    const GridCase& c = GetParam();
    const LevelMatrix m = read_blocks(c.blocks);
    EXPECT_EQ(m.frame_count, c.frames) << c.situation;
    if (m.frame_count > 0) {
        EXPECT_EQ(m.at(60, 0), c.level_at_0) << c.situation;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, GridTable,
    ::testing::Values(
        // The second block stands for its 1576 samples: up to frame (2048 + 1576) / 256.
        GridCase{"two blocks as the analysis writes them", "1 0 1576\n60 12 5000 0\n1 2048 1576\n60 12 4000 0\n", 15,
                 5000},
        GridCase{"a last block claiming two billion samples stands for at most 32768",
                 "1 0 2147483647\n60 12 5000 0\n", 129, 5000},
        GridCase{"a block far beyond the one before ends the reading",
                 "1 0 1576\n60 12 5000 0\n1 2000000000 1576\n60 12 4000 0\n", 7, 5000},
        GridCase{"a first block far from the start is damage", "1 2000000000 1576\n60 12 5000 0\n", 0, 0},
        GridCase{"a block out of order ends the reading",
                 "1 4096 1576\n60 12 5000 0\n1 2048 1576\n60 12 4000 0\n", 23, 0},
        GridCase{"no blocks", "", 0, 0}),
    [](const auto& info) { return "case_" + std::to_string(info.index); });

} // namespace
