// The analysis file's numbers are read in one sweep when a line looks as the analysis writes
// it, and carefully otherwise; both must read the same numbers and refuse the same tokens.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/analysis_file.h"

namespace {

struct Outcome {
    bool read = false;
    FrameNoteRecord record;
    bool operator==(const Outcome& o) const
    {
        return read == o.read && (!read || (record.note == o.record.note && record.fine_step == o.record.fine_step &&
                                            record.level == o.record.level && record.continuity == o.record.continuity));
    }
};

// Reads `records` record lines from text (the reader starts at a line end, as after a
// block header).
std::vector<Outcome> read_records(const std::string& text, int records)
{
    std::string copy = text;
    std::FILE* file = fmemopen(copy.data(), copy.size(), "r");
    AnalysisReader reader(file);
    std::vector<Outcome> outcomes;
    for (int i = 0; i < records; ++i) {
        Outcome o;
        o.read = read_analysis_record(reader, o.record);
        outcomes.push_back(o);
        if (!o.read)
            break;
    }
    std::fclose(file);
    return outcomes;
}

Outcome ok(int32_t note, int32_t step, int32_t level, int32_t continuity)
{
    return {true, {level, note, step, continuity}};
}

const Outcome refused{};

TEST(AnalysisReader, WrittenAndOtherFormsReadTheSameNumbers)
{
    struct Case {
        const char* text;
        std::vector<Outcome> expected;
    } cases[] = {
        {"\n60 12 5321 1\n61 0 0 3\n", {ok(60, 12, 5321, 1), ok(61, 0, 0, 3)}},
        {"\r\n60 12 5321 1\r\n61 0 0 3\r\n", {ok(60, 12, 5321, 1), ok(61, 0, 0, 3)}},
        {"\n  60\t12  5321 \f1\n", {ok(60, 12, 5321, 1)}},
        {"\n007 012 000000000000000000042 1\n", {ok(7, 12, 42, 1)}},
        {"\n60 12 999999999 1\n60 12 2147483647 1\n", {ok(60, 12, 999999999, 1), ok(60, 12, 2147483647, 1)}},
        {"\n60 12 2147483648 1\n", {refused}},
        {"\n60 12 0000000000000000000000001 1\n", {refused}},  // a token of 25 characters
        {"\n+60 12 -5 1\n", {ok(60, 12, -5, 1)}},
        {"\n60 12 5x 1\n", {refused}},
        {"\n60 12 - 1\n", {refused}},
        {"\n60 12 5321", {refused}},       // the file ends within a record
        {"\n60 12 5321 1", {ok(60, 12, 5321, 1)}},  // the file ends right after one
    };
    for (const Case& c : cases)
        EXPECT_EQ(read_records(c.text, static_cast<int>(c.expected.size())), c.expected) << c.text;
}

TEST(AnalysisReader, NumbersAcrossThePiecesOfALongFile)
{
    // More than one piece of the reader: every line must come through whole.
    std::ostringstream text;
    const int lines = 120000;
    for (int i = 0; i < lines; ++i)
        text << '\n' << i % 128 << ' ' << i % 24 << ' ' << i * 7 << ' ' << i % 4;
    text << '\n';
    const std::vector<Outcome> got = read_records(text.str(), lines);
    ASSERT_EQ(got.size(), static_cast<size_t>(lines));
    for (int i = 0; i < lines; ++i)
        ASSERT_EQ(got[static_cast<size_t>(i)], ok(i % 128, i % 24, i * 7, i % 4)) << i;
}

} // namespace
