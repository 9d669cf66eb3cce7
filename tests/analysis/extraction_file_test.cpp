#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "analysis/analysis_file.h"
#include "analysis/analysis_results.h"
#include "analysis/note_extraction.h"
#include "analysis/note_segments.h"
#include "core/settings.h"
#include "core/status.h"
#include "core/worker_pool.h"
#include "support/test_support.h"

namespace {

FrameNoteRecord r(int32_t note, int32_t fine_step, int32_t level, int32_t continuity)
{
    return {level, note, fine_step, continuity};
}

struct Frame {
    int32_t position;
    int32_t duration;
    std::vector<FrameNoteRecord> records;
};

struct AnalysisText {
    int32_t fine = 0;
    int32_t diff_level = 10;
    int32_t diff_note = 6;
    int32_t vr = 0;
    int32_t window = 1000;  // window length of every note
    std::vector<Frame> frames;

    std::string header() const
    {
        std::string text = std::to_string(fine) + " " + std::to_string(diff_level) + " " + std::to_string(diff_note)
                         + "\n" + std::to_string(vr) + "\n";
        for (int line = 0; line < 16; ++line) {
            for (int i = 0; i < 8; ++i)
                text += std::to_string(window) + (i < 7 ? " " : "\n");
        }
        return text;
    }

    static std::string block(const Frame& f)
    {
        std::string text = std::to_string(f.records.size()) + " " + std::to_string(f.position) + " "
                         + std::to_string(f.duration) + "\n";
        for (const FrameNoteRecord& x : f.records)
            text += std::to_string(x.note) + " " + std::to_string(x.fine_step) + " " + std::to_string(x.level) + " "
                  + std::to_string(x.continuity) + "\n";
        return text;
    }

    std::string text() const
    {
        std::string all = header();
        for (const Frame& f : frames)
            all += block(f);
        return all;
    }

    int32_t record_count() const
    {
        int32_t n = 0;
        for (const Frame& f : frames)
            n += static_cast<int32_t>(f.records.size());
        return n;
    }
};

int32_t ticks(int64_t samples) { return static_cast<int32_t>(samples * 1536 / 44100); }

class ExtractionFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::reset_engine_state();
        clear_note_segment_lists();
        std::memset(note_window_length, 0, sizeof note_window_length);
        analysis_record_count = 0;
        max_level = 0;
        ASSERT_TRUE(set_current_path(dir.file("take.wav").c_str()));
    }
    void TearDown() override { clear_note_segment_lists(); }

    // Writes the file as a fresh analysis run of `level_max` would leave it.
    void write(const AnalysisText& a, int32_t level_max = 1000)
    {
        write_raw(a.text(), a.record_count(), level_max);
    }
    void write_raw(const std::string& text, int32_t records, int32_t level_max = 1000)
    {
        test::write_text(fft_path(), text);
        analysis_record_count = records;
        max_level = level_max;
    }
    std::string fft_path() const { return dir.file("take.fft"); }

    test::TempDir dir;
};

void expect_segment(const NoteSegment& s, int32_t start, int32_t length, int32_t fine_pitch, int32_t velocity)
{
    EXPECT_EQ(s.start, start);
    EXPECT_EQ(s.length, length);
    EXPECT_EQ(s.fine_pitch, fine_pitch);
    EXPECT_EQ(s.velocity, velocity);
}

void expect_point(const PitchPoint& p, int32_t time, int32_t fine_pitch, int32_t velocity, int32_t segment)
{
    EXPECT_EQ(p.time, time);
    EXPECT_EQ(p.fine_pitch, fine_pitch);
    EXPECT_EQ(p.velocity, velocity);
    EXPECT_EQ(p.segment, segment);
}

TEST_F(ExtractionFileTest, HeldNoteBecomesOneSegmentInTicks)
{
    AnalysisText a;
    a.frames = {{0, 788, {r(69, 12, 500, 0)}}, {1024, 788, {r(69, 12, 500, 1)}}, {2048, 788, {r(69, 12, 500, 1)}}};
    write(a);
    ASSERT_EQ(extract_note_segments(), 1);
    ASSERT_EQ(note_segment_list.count, 1);
    ASSERT_EQ(note_segment_list.segments.size(), 1u);
    // Ends one sample before the last frame's end: 2048 + 788 - 1 samples.
    expect_segment(note_segment_list.segments[0], 0, ticks(2835), 69 * 24 + 12, 63);
    EXPECT_EQ(pitch_point_list.count, 0);
}

TEST_F(ExtractionFileTest, ConnectionSettingsComeFromTheFile)
{
    struct Case {
        int32_t fine, vr;
        int32_t fine_note;
        int32_t segments;  // two frames 2000 apart: within 4 windows, beyond SL_INTERVAL 512
    };
    for (const Case& c : {Case{0, 1, 0, 1}, Case{1, 0, 1, 2}, Case{2, 1, 0, 1}}) {
        SCOPED_TRACE(c.fine);
        conversion_settings.FINE_NOTE = 1 - c.fine_note;
        conversion_settings.VR_INTERVAL = 1 - c.vr;
        AnalysisText a;
        a.fine = c.fine;
        a.diff_level = 7;
        a.diff_note = 9;
        a.vr = c.vr;
        a.window = 1603;
        a.frames = {{0, 100, {r(69, 12, 500, 0)}}, {2000, 100, {r(69, 12, 500, 1)}}};
        write(a);
        EXPECT_EQ(extract_note_segments(), c.segments);
        EXPECT_EQ(conversion_settings.FINE_NOTE, c.fine_note);
        EXPECT_EQ(conversion_settings.SL_DIFFLEVEL, 7);
        EXPECT_EQ(conversion_settings.SL_DIFFNOTE, 9);
        EXPECT_EQ(conversion_settings.VR_INTERVAL, c.vr);
        EXPECT_EQ(note_window_length[0], 1603);
        EXPECT_EQ(note_window_length[127], 1603);
        EXPECT_EQ(pitch_point_list.count, c.fine_note ? 2 : 0);
    }
}

TEST_F(ExtractionFileTest, GapOfCreatedAndExtendedSegments)
{
    // Frames 1000 apart with duration 770: the second frame sees a gap of 230, the third 231.
    const struct {
        int32_t limit, segments;
    } cases[] = {{230, 3}, {231, 2}, {232, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        conversion_settings.SL_INTERVAL = c.limit;
        AnalysisText a;
        a.frames = {{0, 770, {r(69, 12, 500, 0)}}, {1000, 770, {r(69, 12, 500, 1)}}, {2000, 770, {r(69, 12, 500, 1)}}};
        write(a);
        EXPECT_EQ(extract_note_segments(), c.segments);
    }
}

TEST_F(ExtractionFileTest, GlideAcrossSemitonesFollowsTheLoudestFrame)
{
    AnalysisText a;
    a.fine = 1;
    a.frames = {
        {0, 788, {r(60, 20, 300, 0)}},
        {1024, 788, {r(61, 0, 800, 2)}},
        // Still registered under note 60, so continuity 2 finds it again.
        {2048, 788, {r(61, 2, 400, 2)}},
    };
    write(a);
    ASSERT_EQ(extract_note_segments(), 1);
    expect_segment(note_segment_list.segments[0], 0, ticks(2835), 61 * 24, 106);
    ASSERT_EQ(pitch_point_list.count, 3);
    expect_point(pitch_point_list.points[0], 0, 60 * 24 + 20, 35, 0);
    expect_point(pitch_point_list.points[1], ticks(1024), 61 * 24, 106, 0);
    expect_point(pitch_point_list.points[2], ticks(2048), 61 * 24 + 2, 49, 0);
}

TEST_F(ExtractionFileTest, ShortAndSoftSegmentsDropAndPointsFollow)
{
    AnalysisText a;
    a.fine = 1;
    a.vr = 1;
    a.window = 1000;  // gap limit 4000
    a.frames = {
        {0, 20, {r(50, 12, 500, 0), r(70, 10, 500, 0)}},  // 50: 20 samples are 0 ticks
        {1024, 788, {r(70, 14, 500, 1), r(80, 12, 51, 0)}},  // 80: below the velocity scale
        {5000, 3000, {r(90, 12, 300, 0)}},
    };
    struct Case {
        int32_t sl_length, sl_level;
        bool keep_70, keep_90;
    };
    for (const Case& c : {Case{1, 1, true, true}, Case{64, 1, false, true}, Case{1, 40, true, false}}) {
        SCOPED_TRACE(testing::Message() << c.sl_length << " " << c.sl_level);
        conversion_settings.SL_LENGTH = c.sl_length;
        conversion_settings.SL_LEVEL = c.sl_level;
        write(a);
        const int32_t expected = (c.keep_70 ? 1 : 0) + (c.keep_90 ? 1 : 0);
        ASSERT_EQ(extract_note_segments(), expected);
        ASSERT_EQ(note_segment_list.segments.size(), static_cast<size_t>(expected));
        ASSERT_EQ(pitch_point_list.count, (c.keep_70 ? 2 : 0) + (c.keep_90 ? 1 : 0));
        ASSERT_EQ(pitch_point_list.points.size(), static_cast<size_t>(pitch_point_list.count));
        size_t p = 0;
        if (c.keep_70) {
            expect_segment(note_segment_list.segments[0], 0, ticks(1811), 70 * 24 + 10, 63);
            expect_point(pitch_point_list.points[p++], 0, 70 * 24 + 10, 63, 0);
            expect_point(pitch_point_list.points[p++], ticks(1024), 70 * 24 + 14, 63, 0);
        }
        if (c.keep_90) {
            const int32_t index = c.keep_70 ? 1 : 0;
            expect_segment(note_segment_list.segments[static_cast<size_t>(index)], ticks(5000), ticks(3000),
                           90 * 24 + 12, 35);
            expect_point(pitch_point_list.points[p++], ticks(5000), 90 * 24 + 12, 35, index);
        }
    }
}

TEST_F(ExtractionFileTest, ScaleFilterMovesNotesBeforeLinking)
{
    conversion_settings.SCALE_FILTER = 1;
    for (int& flag : conversion_settings.SCALE_NOTES)
        flag = 0;
    conversion_settings.SCALE_NOTES[0] = 1;
    conversion_settings.SCALE_NOTES[7] = 1;
    AnalysisText a;
    // 61 and 62 both become 60: the louder 62 wins and continues the segment of frame 1.
    a.frames = {{0, 788, {r(60, 12, 500, 0)}}, {1024, 788, {r(61, 12, 300, 0), r(62, 13, 900, 1)}}};
    write(a);
    ASSERT_EQ(extract_note_segments(), 1);
    expect_segment(note_segment_list.segments[0], 0, ticks(1024 + 788 - 1), 60 * 24 + 13, 120);
}

TEST_F(ExtractionFileTest, ReconversionCountsTheRecordsItself)
{
    conversion_settings.FINE_NOTE = 0;
    std::FILE* file = std::fopen(fft_path().c_str(), "wb");
    ASSERT_NE(file, nullptr);
    write_analysis_first_line(file);
    for (int32_t& w : note_window_length)
        w = 1000;
    write_analysis_header(file);
    const FrameNoteRecord first[] = {r(60, 12, 0, 0), r(61, 12, 2000, 0)};
    const FrameNoteRecord second[] = {r(60, 12, 1000, 0), r(61, 12, 2000, 1)};
    std::vector<char> text;
    write_analysis_block(file, first, 0, 788, text);
    write_analysis_block(file, second, 1024, 788, text);
    std::fclose(file);
    conversion_settings.FINE_NOTE = 1;  // changed after the analysis: the file still says 0

    // A fresh-analysis extraction trusts the (here stale) count of the run: nothing.
    EXPECT_EQ(extract_note_segments(), 0);

    conversion_status.reconvert = 1;
    ASSERT_EQ(extract_note_segments(), 2);
    EXPECT_EQ(max_level, 2000);
    EXPECT_EQ(conversion_settings.FINE_NOTE, 0);
    EXPECT_EQ(pitch_point_list.count, 0);
    // lo 100, range 1805: 2000 gives 127; 1000 gives 63.
    expect_segment(note_segment_list.segments[0], 0, ticks(1811), 61 * 24 + 12, 127);
    expect_segment(note_segment_list.segments[1], ticks(1024), ticks(788), 60 * 24 + 12, 63);
}

TEST_F(ExtractionFileTest, CapacityBoundsWhatIsRead)
{
    AnalysisText a;
    a.frames = {{0, 500, {r(60, 12, 500, 0), r(64, 12, 500, 0)}},
                {10000, 500, {r(62, 12, 500, 0), r(65, 12, 500, 0)}},
                {20000, 500, {r(67, 12, 500, 0), r(71, 12, 500, 0)}}};
    const struct {
        int32_t capacity, segments;
    } cases[] = {{0, 0}, {-5, 0}, {1, 0}, {2, 2}, {3, 2}, {5, 4}, {6, 6}, {7, 6}, {INT32_MAX, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capacity);
        write_raw(a.text(), c.capacity);
        EXPECT_EQ(extract_note_segments(), c.segments);
        EXPECT_EQ(note_segment_list.segments.size(), static_cast<size_t>(c.segments));
    }
}

TEST_F(ExtractionFileTest, NothingToExtract)
{
    AnalysisText a;
    a.frames = {{0, 5000, {r(60, 12, 500, 0)}}};
    struct Case {
        const char* what;
        int32_t level_max;
        int32_t time_unit;
        const char* wave_path;  // nullptr: the temporary take.wav
        bool remove_file;
    };
    const Case cases[] = {
        {"silent wave", 0, 1536, nullptr, false},
        {"TIME_UNIT 0", 1000, 0, nullptr, false},
        {"negative TIME_UNIT", 1000, -1536, nullptr, false},
        {"missing file", 1000, 1536, nullptr, true},
        {"path without extension", 1000, 1536, "/tmp/no-extension", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A successful run first, so stale lists would show.
        conversion_settings.TIME_UNIT = 1536;
        ASSERT_TRUE(set_current_path(dir.file("take.wav").c_str()));
        write(a);
        ASSERT_EQ(extract_note_segments(), 1);

        write(a, c.level_max);
        if (c.remove_file)
            std::remove(fft_path().c_str());
        if (c.wave_path) {
            ASSERT_TRUE(set_current_path(c.wave_path));
        }
        conversion_settings.TIME_UNIT = c.time_unit;
        EXPECT_EQ(extract_note_segments(), 0);
        EXPECT_EQ(note_segment_list.count, 0);
        EXPECT_TRUE(note_segment_list.segments.empty());
        EXPECT_EQ(pitch_point_list.count, 0);
    }
}

TEST_F(ExtractionFileTest, TicksThatWouldPass32BitsAreDropped)
{
    conversion_settings.TIME_UNIT = INT32_MAX;
    AnalysisText a;
    a.frames = {{0, 100, {r(60, 12, 500, 0)}}, {441000, 100, {r(62, 12, 500, 0)}}};
    write(a);
    ASSERT_EQ(extract_note_segments(), 1);
    // length * TIME_UNIT needs 64 bits: 100 * (2^31 - 1) / 44100.
    expect_segment(note_segment_list.segments[0], 0, static_cast<int32_t>(int64_t{100} * INT32_MAX / 44100),
                   60 * 24 + 12, 63);
}

// A file of many batches of blocks is read on a second thread while the calling one
// processes: whatever ends the reading (the end, the capacity, damage in a later batch),
// the lists are those of reading and processing one block after the other.
TEST_F(ExtractionFileTest, ReadingOnASecondThreadGivesTheSameLists)
{
    AnalysisText a;
    a.fine = 1;
    std::mt19937 random(7);
    for (int32_t k = 0; k < 1500; ++k) {
        Frame f{k * 512, 512, {}};
        for (int32_t note = 40 + static_cast<int32_t>(random() % 3); note < 90; note += 1 + static_cast<int32_t>(random() % 5))
            f.records.push_back(r(note, static_cast<int32_t>(random() % 24), static_cast<int32_t>(random() % 1000),
                                  static_cast<int32_t>(random() % 4)));
        a.frames.push_back(f);
    }
    const std::string whole = a.text();
    const size_t late_block = whole.find("\n" + std::to_string(a.frames[1200].records.size()) + " " +
                                         std::to_string(a.frames[1200].position) + " ");
    ASSERT_NE(late_block, std::string::npos);
    const struct {
        const char* what;
        std::string text;
        int32_t capacity;
    } cases[] = {
        {"whole", whole, a.record_count()},
        {"capacity inside a later batch", whole, a.record_count() * 3 / 4},
        {"damage in a later batch", whole.substr(0, late_block + 1) + "1 x 2\n" + whole.substr(late_block + 1),
         a.record_count()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<NoteSegment> segments[2];
        std::vector<PitchPoint> points[2];
        for (int32_t workers : {1, 2}) {
            worker_count_override = workers;
            write_raw(c.text, c.capacity);
            ASSERT_GT(read_note_segments(), 0);
            segments[workers - 1] = note_segment_list.segments;
            points[workers - 1] = pitch_point_list.points;
        }
        worker_count_override = 0;
        ASSERT_EQ(segments[0].size(), segments[1].size());
        EXPECT_EQ(std::memcmp(segments[0].data(), segments[1].data(), segments[0].size() * sizeof(NoteSegment)), 0);
        ASSERT_EQ(points[0].size(), points[1].size());
        EXPECT_EQ(std::memcmp(points[0].data(), points[1].data(), points[0].size() * sizeof(PitchPoint)), 0);
    }
}

// A small valid file with three blocks of two new notes each, and where each block ends.
struct SmallFile {
    std::string text;
    std::vector<size_t> block_ends;  // offset just past the last digit of each block
};

SmallFile small_file(int32_t fine)
{
    AnalysisText a;
    a.fine = fine;
    a.frames = {{0, 5000, {r(60, 12, 500, 0), r(64, 12, 600, 0)}},
                {10000, 5000, {r(62, 12, 500, 0), r(65, 12, 600, 0)}},
                {20000, 5000, {r(67, 12, 500, 0), r(71, 12, 600, 0)}}};
    SmallFile f;
    f.text = a.header();
    for (const Frame& frame : a.frames) {
        f.text += AnalysisText::block(frame);
        f.block_ends.push_back(f.text.size() - 1);
    }
    return f;
}

TEST_F(ExtractionFileTest, TruncatedFilesKeepOnlyTheirCompleteBlocks)
{
    for (int32_t fine : {0, 1}) {
        const SmallFile f = small_file(fine);
        for (size_t length = 0; length <= f.text.size(); ++length) {
            SCOPED_TRACE(testing::Message() << "fine " << fine << ", length " << length);
            int32_t complete = 0;
            for (size_t end : f.block_ends)
                complete += length >= end ? 1 : 0;
            const std::string prefix = f.text.substr(0, length);

            conversion_status.reconvert = 0;
            write_raw(prefix, 6);
            EXPECT_EQ(extract_note_segments(), 2 * complete);
            EXPECT_EQ(pitch_point_list.count, fine == 1 ? 2 * complete : 0);

            // A re-conversion keeps the same blocks: it counts only the complete ones.
            conversion_status.reconvert = 1;
            write_raw(prefix, 0, 0);
            EXPECT_EQ(extract_note_segments(), 2 * complete);
            EXPECT_EQ(pitch_point_list.count, fine == 1 ? 2 * complete : 0);
        }
    }
}

TEST_F(ExtractionFileTest, DamageStopsBeforeTheDamagedBlock)
{
    const SmallFile f = small_file(1);
    const std::string one_block = f.text.substr(0, f.block_ends[0] + 1);
    const char* damages[] = {
        "300 10000 5000\n",                        // more than a block can hold
        "-1 10000 5000\n",
        "99999999999 10000 5000\n",
        "100 10000 5000\n62 12 500 0\n",           // fewer records than announced
        "2 10000\n",
        "2 10000 5000\n200 12 500 0\n62 12 500 0\n",  // note outside 0..127
        "2 10000 5000\n-1 12 500 0\n62 12 500 0\n",
        "2 10000 5000\n62 24 500 0\n63 12 500 0\n",   // fine step outside 0..23
        "2 10000 5000\n62 12 500 0\n63 -1 500 0\n",
        "2 -10000 5000\n62 12 500 0\n63 12 500 0\n",  // negative position
        "2 10000 -5000\n62 12 500 0\n63 12 500 0\n",  // negative duration
        "2 10000 5000\n62 x 500 0\n63 12 500 0\n",
        "abc def\n",
        "\x01\x02\xff\n",
    };
    for (const char* damage : damages) {
        for (int32_t reconvert : {0, 1}) {
            SCOPED_TRACE(testing::Message() << damage << "reconvert " << reconvert);
            conversion_status.reconvert = reconvert;
            // Good blocks after the damage are never reached, nor counted by a re-conversion.
            write_raw(one_block + damage + f.text.substr(f.block_ends[0] + 1), 1000);
            if (reconvert) {
                EXPECT_EQ(count_analysis_records(), 2);
                EXPECT_EQ(max_level, 600);
            }
            EXPECT_EQ(extract_note_segments(), 2);
            EXPECT_EQ(pitch_point_list.count, 2);
            EXPECT_EQ(note_segment_list.segments[1].fine_pitch, 64 * 24 + 12);
        }
    }
}

TEST_F(ExtractionFileTest, ReconversionOfADamagedFileMatchesAFreshConversion)
{
    // The levels of the blocks after the damage must not widen the velocity scale of the
    // blocks before it: the counted max_level is that of the complete blocks.
    AnalysisText a;
    a.frames = {{0, 5000, {r(60, 12, 300, 0), r(64, 12, 900, 0)}},
                {10000, 5000, {r(60, 12, 500, 1), r(64, 12, 450, 1)}},
                {20000, 5000, {r(67, 12, 5000, 0), r(71, 12, 9000, 0)}}};
    const std::string whole = a.text();
    const std::string damaged = whole.substr(0, whole.rfind("67 12"));  // the third block cut short
    std::vector<NoteSegment> fresh;
    for (int32_t reconvert : {0, 1}) {
        SCOPED_TRACE(reconvert);
        conversion_status.reconvert = reconvert;
        write_raw(damaged, 4, 900);  // what the run that wrote the first two blocks counted
        ASSERT_GT(extract_note_segments(), 0);
        const std::vector<NoteSegment> got(note_segment_list.segments.begin(), note_segment_list.segments.end());
        if (reconvert == 0) {
            fresh = got;
            continue;
        }
        EXPECT_EQ(max_level, 900);
        ASSERT_EQ(got.size(), fresh.size());
        for (size_t i = 0; i < got.size(); ++i)
            expect_segment(got[i], fresh[i].start, fresh[i].length, fresh[i].fine_pitch, fresh[i].velocity);
    }
}

TEST_F(ExtractionFileTest, GarbageNeverCrashes)
{
    const SmallFile f = small_file(1);
    std::mt19937 random(12345);
    const std::string alphabet = "0123456789 -\n\r1x";
    for (int round = 0; round < 400; ++round) {
        std::string text = f.text;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i) {
            const size_t at = random() % text.size();
            switch (random() % 3) {
            case 0:
                text[at] = alphabet[random() % alphabet.size()];
                break;
            case 1:
                text.erase(at, 1 + random() % 4);
                break;
            default:
                text.insert(at, 1, alphabet[random() % alphabet.size()]);
                break;
            }
            if (text.empty())
                text = "0";
        }
        const int32_t capacity = round % 2 ? 6 : 1000;
        conversion_status.reconvert = round % 3 == 0 ? 1 : 0;
        conversion_settings.SCALE_FILTER = round % 5 == 0 ? 1 : 0;
        write_raw(text, capacity);
        const int32_t segments = extract_note_segments();
        EXPECT_GE(segments, 0);
        EXPECT_LE(segments, 1000);
        EXPECT_EQ(note_segment_list.segments.size(), static_cast<size_t>(segments));
        for (const PitchPoint& p : std::span(pitch_point_list.points.data(), static_cast<size_t>(pitch_point_list.count))) {
            ASSERT_GE(p.segment, 0);
            ASSERT_LT(p.segment, segments);
        }
    }
}

} // namespace
