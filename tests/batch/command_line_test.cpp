#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/command_line.h"
#include "batch_test_helpers.h"
#include "core/settings.h"
#include "core/status.h"
#include "support/test_support.h"

namespace {

std::string completed(const std::string& name)
{
    set_current_path(name.c_str());
    complete_wave_name();
    return conversion_status.current_path;
}

TEST(CompleteWaveName, AppendsWavUnlessTheNameLooksComplete)
{
    test::reset_engine_state();
    struct Case {
        std::string name, expected;
    };
    const Case cases[] = {
        {"song", "song.wav"},         {"song.wav", "song.wav"},   {"song.WAV", "song.WAV"},
        {"song.mp3", "song.mp3"},     {"swan", "swan"},           {"SWAN", "SWAN"},
        {"take.wave", "take.wave.wav"}, {"dir/a", "dir/a.wav"},   {"ab", "ab.wav"},
        {"", ".wav"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(completed(c.name), c.expected) << c.name;
}

TEST(CompleteWaveName, AppendsOnlyWhileTheResultFitsTheSystemsPathLimit)
{
    test::reset_engine_state();
    EXPECT_EQ(completed(std::string(300, 'a')), std::string(300, 'a') + ".wav");  // once too long
    EXPECT_EQ(completed(std::string(4091, 'a')), std::string(4091, 'a') + ".wav");
    EXPECT_EQ(completed(std::string(4092, 'a')), std::string(4092, 'a'));
}

struct OptionRun {
    int32_t format;
    std::string echo;
};

OptionRun apply(const std::vector<const char*>& options)
{
    testing::internal::CaptureStdout();
    int32_t format = apply_batch_options(options);
    return {format, testing::internal::GetCapturedStdout()};
}

TEST(BatchOptions, EachOptionSetsItsFieldAndEchoesTheValue)
{
    test::reset_engine_state();
    OptionRun run = apply({"f:1", "o:1", "w:8192", "t:384", "b:12000", "h:20"});
    EXPECT_EQ(run.format, 1);
    EXPECT_EQ(run.echo, "Output File Format:1\nOvertone Removal:1\nAnalysis Frame Width:8192\n"
                        "Time Resolution Per Second:384\nOutput Bit-rate:12000\nNumber of Harmony:20\n");
    const ConversionSettings& s = conversion_settings;
    EXPECT_EQ(s.OVERTONE_CORRECT, 1);
    EXPECT_EQ(s.FFT_SIZE, 8192);
    EXPECT_EQ(s.TIME_UNIT, 384);
    EXPECT_EQ(s.BIT_RATE, 12000);
    EXPECT_EQ(s.MAX_HARMONY, 20);
}

TEST(BatchOptions, FormatDefaultsToBothAndAnyValueIsReturned)
{
    test::reset_engine_state();
    EXPECT_EQ(apply({}).format, 2);
    EXPECT_EQ(apply({"f:5"}).format, 5);
    EXPECT_EQ(apply({"f:-1"}).format, -1);
}

TEST(BatchOptions, MicrotonalPresetAndItsOrderAgainstHarmony)
{
    test::reset_engine_state();
    apply({"m:1", "h:20"});
    EXPECT_EQ(conversion_settings.MAX_HARMONY, 20);
    test::reset_engine_state();
    conversion_settings.FLT_CONNECT = 1;
    OptionRun run = apply({"h:20", "m:1"});
    EXPECT_EQ(run.echo, "Number of Harmony:20\nMicrotonal Analaysis:1\n");
    const ConversionSettings& s = conversion_settings;
    EXPECT_EQ(s.MAX_HARMONY, 15);
    EXPECT_EQ(s.FINE_NOTE, 1);
    EXPECT_EQ(s.SL_DIFFNOTE_ABS, 32);
    EXPECT_EQ(s.BIT_RATE, 20000);
    EXPECT_EQ(s.VARY_RATE, 500);
    EXPECT_EQ(s.FLT_CONNECT, 0);
}

TEST(BatchOptions, MicrotonalOffChangesOnlyFineNote)
{
    test::reset_engine_state();
    ConversionSettings& s = conversion_settings;
    s.FINE_NOTE = 1;
    s.MAX_HARMONY = 15;
    s.BIT_RATE = 20000;
    s.SL_DIFFNOTE_ABS = 32;
    s.VARY_RATE = 500;
    s.FLT_CONNECT = 1;
    apply({"m:0"});
    EXPECT_EQ(s.FINE_NOTE, 0);
    EXPECT_EQ(s.MAX_HARMONY, 15);
    EXPECT_EQ(s.BIT_RATE, 20000);
    EXPECT_EQ(s.SL_DIFFNOTE_ABS, 32);
    EXPECT_EQ(s.VARY_RATE, 500);
    EXPECT_EQ(s.FLT_CONNECT, 1);
}

TEST(BatchOptions, OvertoneValueTwoSwitchesOffButEchoesTwo)
{
    test::reset_engine_state();
    conversion_settings.OVERTONE_CORRECT = 1;
    EXPECT_EQ(apply({"o:2"}).echo, "Overtone Removal:2\n");
    EXPECT_EQ(conversion_settings.OVERTONE_CORRECT, 0);
}

TEST(BatchOptions, CleanModeOnlyWithValueOne)
{
    test::reset_engine_state();
    EXPECT_EQ(apply({"c:1"}).echo, "Clean Transcription:1\n");
    EXPECT_EQ(conversion_settings.CLEAN_MODE, 1);
    EXPECT_EQ(apply({"c:2"}).echo, "Clean Transcription:2\n");
    EXPECT_EQ(conversion_settings.CLEAN_MODE, 0);
    apply({"c:1", "c:0"});
    EXPECT_EQ(conversion_settings.CLEAN_MODE, 0);
}

TEST(BatchOptions, UnknownLettersAndValuelessOptionsAreSkippedSilently)
{
    test::reset_engine_state();
    OptionRun run = apply({"O:1", "x:5", "f:", "f", "w:abc", "b=-3", "t: 77", "hh99999999999"});
    EXPECT_EQ(run.echo, "Output Bit-rate:-3\nTime Resolution Per Second:77\nNumber of Harmony:2147483647\n");
    EXPECT_EQ(run.format, 2);
    EXPECT_EQ(conversion_settings.OVERTONE_CORRECT, 0);
    EXPECT_EQ(conversion_settings.FFT_SIZE, 4096);
}

TEST(BatchUsage, PrintsTheUsageTextLineForLine)
{
    testing::internal::CaptureStdout();
    print_usage();
    const std::string text = testing::internal::GetCapturedStdout();
    EXPECT_EQ(text, batch_test::LEGACY_USAGE);
}

} // namespace
