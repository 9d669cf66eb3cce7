#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "analysis/analyse_wave.h"
#include "analysis/analysis_file.h"
#include "analysis/sinusoid_tables.h"
#include "analysis_test_support.h"
#include "core/messages.h"
#include "core/status.h"
#include "signal/wav_synth.h"
#include "wave/wav_reader.h"

namespace {

std::vector<std::string> messages;

// One block of a written analysis file.
struct Block {
    int32_t count = 0;
    int32_t position = 0;
    int32_t duration = 0;
    std::vector<FrameNoteRecord> records;
};

struct ParsedFile {
    std::vector<std::string> header;  // the 18 header lines
    std::vector<Block> blocks;
    int32_t records = 0;
    int32_t largest_level = 0;
};

std::vector<int32_t> ints_of(const std::string& line)
{
    std::vector<int32_t> values;
    std::istringstream in(line);
    int32_t v;
    while (in >> v)
        values.push_back(v);
    return values;
}

std::string joined(const std::vector<int32_t>& values)
{
    std::ostringstream text;
    for (size_t i = 0; i < values.size(); ++i)
        text << (i ? " " : "") << values[i];
    return text.str();
}

// Splits the file into lines, checking that every line is single-space separated integers
// ending in a newline, and gathers its blocks.
ParsedFile parse(const std::string& path)
{
    const std::string text = test::read_text(path);
    EXPECT_TRUE(text.empty() || text.back() == '\n');
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        EXPECT_EQ(joined(ints_of(line)), line) << "line " << lines.size() + 1;
        lines.push_back(line);
    }
    ParsedFile file;
    EXPECT_GE(lines.size(), 18u);
    file.header.assign(lines.begin(), lines.begin() + std::min<size_t>(18, lines.size()));
    for (size_t l = 18; l < lines.size();) {
        const auto head = ints_of(lines[l++]);
        EXPECT_EQ(head.size(), 3u);
        Block block{head[0], head[1], head[2], {}};
        for (int32_t r = 0; r < block.count && l < lines.size(); ++r) {
            const auto v = ints_of(lines[l++]);
            EXPECT_EQ(v.size(), 4u);
            block.records.push_back({v[2], v[0], v[1], v[3]});
            file.largest_level = std::max(file.largest_level, v[2]);
        }
        file.records += block.count;
        file.blocks.push_back(block);
    }
    return file;
}

// Positions of the blocks in a run of block text (header lines have three numbers).
std::vector<int32_t> block_positions(const std::string& blocks)
{
    std::vector<int32_t> positions;
    std::istringstream in(blocks);
    for (std::string line; std::getline(in, line);) {
        const std::vector<int32_t> v = ints_of(line);
        if (v.size() == 3)
            positions.push_back(v[1]);
    }
    return positions;
}

// Sets up a run over key_min..key_max analysing samples, with the WAV path in dir.
std::string prepare(const test::TempDir& dir, std::vector<int16_t> samples, int32_t key_min, int32_t key_max,
                    int32_t frame_size = 4096)
{
    analysis_test::use_keys(key_min, key_max, frame_size);
    wave_data.frame_count = static_cast<int32_t>(samples.size());
    wave_data.samples = std::move(samples);
    const std::string wav = dir.file("take1.wav");
    set_current_path(wav.c_str());
    messages.clear();
    message_hook = [](const char*, const char* text) { messages.emplace_back(text); };
    return dir.file("take1.fft");
}

void finish()
{
    message_hook = nullptr;
    progress_window_hook = nullptr;
}

TEST(AnalyseWave, SteadyToneIsWrittenEveryHalfFrameWithOnlyItsNote)
{
    test::TempDir dir;
    const std::string fft = prepare(dir, synth::sine(440, 8000, 4096 + 16 * 600), 62, 76);
    const int32_t written = analyse_wave();
    finish();
    EXPECT_TRUE(messages.empty());
    const ParsedFile file = parse(fft);
    EXPECT_EQ(file.header[0], "0 10 6");
    EXPECT_EQ(file.header[1], "1");
    EXPECT_EQ(ints_of(file.header[2 + 69 / 8])[69 % 8], 1603);
    // outputs at 0, 2048, ..., 8192 and the last frame 9584, which stays pending
    ASSERT_EQ(file.blocks.size(), 5u);
    for (size_t b = 0; b < file.blocks.size(); ++b) {
        const Block& block = file.blocks[b];
        EXPECT_EQ(block.count, 15);
        EXPECT_EQ(block.position, static_cast<int32_t>(2048 * b));
        EXPECT_EQ(block.duration, b + 1 < file.blocks.size() ? 1576 : (9584 - 8192) * 77 / 100);
        for (int32_t i = 0; i < 15; ++i) {
            const FrameNoteRecord& r = block.records[i];
            EXPECT_EQ(r.note, 62 + i);
            if (r.note == 69) {
                EXPECT_EQ(r.fine_step, 12);
                EXPECT_GT(r.level, 12000);
                EXPECT_EQ(r.continuity, b == 0 ? 0 : 1);
            } else {
                EXPECT_EQ(r.level, 0) << "note " << r.note << " block " << b;
            }
        }
    }
    EXPECT_EQ(written, 75);
    EXPECT_EQ(analysis_record_count, 75);
    EXPECT_EQ(max_level, file.largest_level);
    const int32_t largest = max_level;
    EXPECT_EQ(count_analysis_records(), 75);
    EXPECT_EQ(max_level, largest);
    EXPECT_TRUE(analysis_tables.sine.empty());
}

TEST(AnalyseWave, TriadKeepsItsThreeNotes)
{
    test::TempDir dir;
    const double frequencies[] = {synth::midi_note_frequency(60), synth::midi_note_frequency(64),
                                  synth::midi_note_frequency(67)};
    const std::string fft = prepare(dir, synth::chord(frequencies, 5000, 4096 + 16 * 300), 55, 72);
    const int32_t written = analyse_wave();
    finish();
    const ParsedFile file = parse(fft);
    EXPECT_EQ(written, file.records);
    ASSERT_GE(file.blocks.size(), 2u);
    const Block& block = file.blocks[1];
    for (const FrameNoteRecord& r : block.records) {
        const bool in_chord = r.note == 60 || r.note == 64 || r.note == 67;
        EXPECT_EQ(r.level > 0, in_chord) << "note " << r.note << " level " << r.level;
        if (in_chord) {
            // the other notes' leakage pulls the best fine pitch a little
            EXPECT_NEAR(r.fine_step, 12, 3) << r.note;
            EXPECT_EQ(r.continuity, 1) << r.note;
        }
    }
    EXPECT_EQ(count_analysis_records(), written);
    EXPECT_EQ(max_level, file.largest_level);
}

TEST(AnalyseWave, SilenceIsOutputOnlyOnForcedFrames)
{
    test::TempDir dir;
    const std::string fft = prepare(dir, synth::silence(1024 + 16 * 100), 60, 63, 1024);
    EXPECT_EQ(analyse_wave(), 4 * 4);
    finish();
    const ParsedFile file = parse(fft);
    // forced every 512 samples: 0, 512, 1024, 1536 written; 1584 (the last frame) pending
    ASSERT_EQ(file.blocks.size(), 4u);
    for (size_t b = 0; b < 4; ++b) {
        EXPECT_EQ(file.blocks[b].position, static_cast<int32_t>(512 * b));
        for (const FrameNoteRecord& r : file.blocks[b].records) {
            EXPECT_EQ(r.level, 0);
            EXPECT_EQ(r.fine_step, 12);
            EXPECT_EQ(r.continuity, b == 0 ? 0 : 1);
        }
    }
    EXPECT_EQ(file.blocks[2].duration, 512 * 77 / 100);
    EXPECT_EQ(file.blocks[3].duration, (1584 - 1536) * 77 / 100);
    EXPECT_EQ(max_level, 0);
}

TEST(AnalyseWave, ShortWavesWriteOnlyTheHeader)
{
    // 1024 + 16 samples make one frame: analysed, forced, never written; fewer make none.
    for (int32_t length : {0, 100, 1024, 1024 + 15, 1024 + 16, 1024 + 31}) {
        test::TempDir dir;
        const std::string fft = prepare(dir, synth::sine(440, 8000, length), 68, 70, 1024);
        EXPECT_EQ(analyse_wave(), 0) << length;
        finish();
        const ParsedFile file = parse(fft);
        EXPECT_TRUE(file.blocks.empty()) << length;
        EXPECT_EQ(file.header.size(), 18u);
        EXPECT_EQ(count_analysis_records(), 0);
    }
}

TEST(AnalyseWave, StopRequestEndsAfterTheFrameWhoseCheckSeesIt)
{
    // Frames are analysed in batches; a request seen after frame k ends the run there, even
    // though later frames of its batch were analysed already.
    static int reports;
    static int stop_at_report;
    for (int32_t report : {3, 54}) {
        test::TempDir dir;
        const std::string fft = prepare(dir, synth::silence(64 + 16 * 700), 100, 102, 64);
        reports = 0;
        stop_at_report = report;
        // the progress report of frame 10 (report - 1) comes just before its stop check
        progress_window_hook = [](const char* text) {
            if (std::string(text).starts_with("周波数") && ++reports == stop_at_report)
                conversion_status.stop_request = 1;
        };
        const int32_t written = analyse_wave();
        finish();
        conversion_status.stop_request = 0;
        // every second frame is output (forced every 32 samples); the last one stays pending
        const int32_t last = 10 * (report - 1);
        EXPECT_EQ(written, last / 2 * 3) << report;
        const ParsedFile file = parse(fft);
        ASSERT_EQ(file.blocks.size(), static_cast<size_t>(last / 2)) << report;
        EXPECT_EQ(file.blocks.back().position, 16 * (last - 2));
        EXPECT_EQ(count_analysis_records(), last / 2 * 3);
        EXPECT_TRUE(analysis_tables.frames.empty());
    }
}

TEST(AnalyseWave, StoppedFileIsTheStartOfTheWholeOne)
{
    // A busy passage over three batches of frames: whatever frame the request is seen after,
    // the file holds the blocks a frame-by-frame run stopping there writes, which are the
    // first blocks of the whole run's file.
    const std::vector<int16_t> passage = synth::polyphonic_passage(4096 + 16 * 5000, 11);
    std::string whole;
    {
        test::TempDir dir;
        const std::string fft = prepare(dir, passage, 55, 70);
        analyse_wave();
        finish();
        whole = test::read_text(fft);
    }
    static int reports;
    static int stop_at_report;
    for (int32_t report : {2, 205, 390, 470}) {
        test::TempDir dir;
        const std::string fft = prepare(dir, passage, 55, 70);
        reports = 0;
        stop_at_report = report;
        progress_window_hook = [](const char* text) {
            if (std::string(text).starts_with("周波数") && ++reports == stop_at_report)
                conversion_status.stop_request = 1;
        };
        analyse_wave();
        finish();
        conversion_status.stop_request = 0;
        const std::string stopped = test::read_text(fft);
        ASSERT_TRUE(whole.starts_with(stopped)) << report;
        // The whole file goes on with the block of the frame left pending at the stop (at or
        // before it), and the block after that comes later.
        const int32_t stop_position = 16 * 10 * (report - 1);
        const std::vector<int32_t> rest = block_positions(whole.substr(stopped.size()));
        ASSERT_GE(rest.size(), 1u) << report;
        EXPECT_LE(rest[0], stop_position) << report;
        if (rest.size() > 1) {
            EXPECT_GT(rest[1], stop_position) << report;
        }
    }
}

TEST(AnalyseWave, ReportsProgressEveryTenFrames)
{
    test::TempDir dir;
    prepare(dir, synth::silence(64 + 16 * 25), 100, 100, 64);
    static std::vector<std::string> texts;
    static std::vector<std::thread::id> threads;
    texts.clear();
    threads.clear();
    progress_window_hook = [](const char* text) {
        texts.emplace_back(text);
        threads.push_back(std::this_thread::get_id());
    };
    analyse_wave();
    finish();
    // all from the thread that runs the analysis (the GUI hands them to its own thread)
    EXPECT_EQ(std::count(threads.begin(), threads.end(), std::this_thread::get_id()),
              static_cast<std::ptrdiff_t>(threads.size()));
    // table build (one note: 0 %), then frames 0, 10, 20 of 25 at positions 0, 160, 320 of 464
    const std::vector<std::string> expected = {"正弦波テーブル作成：0 [%]", "周波数解析処理進行中：0 [%]",
                                               "周波数解析処理進行中：34 [%]", "周波数解析処理進行中：68 [%]"};
    EXPECT_EQ(texts, expected);
}

TEST(AnalyseWave, RefusesWhatItCannotAnalyseWithoutWriting)
{
    struct Case {
        const char* name;
        int32_t key_min, key_max, frame_size;
        const char* wav_name;
    } cases[] = {
        {"keys reversed", 70, 60, 1024, "take1.wav"}, {"key above 127", 60, 128, 1024, "take1.wav"},
        {"negative key", -1, 60, 1024, "take1.wav"},  {"frame too small", 60, 61, 16, "take1.wav"},
        {"frame too large", 60, 61, 65536, "take1.wav"}, {"no extension", 60, 61, 1024, "take1"},
        {"missing directory", 60, 61, 1024, "missing/take1.wav"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        prepare(dir, synth::sine(440, 8000, 4096), c.key_min, c.key_max, c.frame_size);
        analysis_record_count = 7;
        max_level = 7;
        set_current_path(dir.file(c.wav_name).c_str());
        EXPECT_EQ(analyse_wave(), 0) << c.name;
        finish();
        EXPECT_EQ(messages.size(), 1u) << c.name;
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << c.name;
        EXPECT_EQ(analysis_record_count, 0) << c.name;
        EXPECT_EQ(max_level, 0) << c.name;
    }
}

} // namespace
