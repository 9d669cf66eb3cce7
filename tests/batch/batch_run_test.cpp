#include <gtest/gtest.h>

#include <string>

#include "signal/wav_synth.h"
#include "support/test_support.h"

namespace {

const std::string batch_exe = TONAGRAM_BATCH_EXE;

test::CommandResult run_batch(const std::string& arguments, const std::string& directory)
{
    return test::run_command("cd '" + directory + "' && '" + batch_exe + "' " + arguments);
}

TEST(BatchRun, WithoutArgumentsPrintsUsageAndFails)
{
    test::TempDir dir;
    test::CommandResult r = run_batch("", dir.path().string());
    EXPECT_EQ(r.exit_status, 255);
    EXPECT_NE(r.output.find("Usages: Tonagram_batch.exe filename[.wav] [options]\n"), std::string::npos);
}

TEST(BatchRun, UnreadableWaveFileIsReported)
{
    test::TempDir dir;
    test::CommandResult r = run_batch("missing", dir.path().string());
    EXPECT_EQ(r.exit_status, 255);
    EXPECT_NE(r.output.find("Wave file:missing.wav reading Error!!\n"), std::string::npos) << r.output;

    synth::write_wav(dir.file("empty.wav"), {}, {});
    r = run_batch("empty.wav", dir.path().string());
    EXPECT_EQ(r.exit_status, 255);
    EXPECT_NE(r.output.find("Wave file:empty.wav reading Error!!\n"), std::string::npos) << r.output;

    r = run_batch("take.wave", dir.path().string());
    EXPECT_NE(r.output.find("Wave file:take.wave.wav reading Error!!\n"), std::string::npos) << r.output;
}

TEST(BatchRun, OverlongNameIsRefusedNotTruncated)
{
    test::TempDir dir;
    test::CommandResult r = run_batch(std::string(4096, 'a'), dir.path().string());
    EXPECT_EQ(r.exit_status, 255);
    EXPECT_NE(r.output.find("File name too long"), std::string::npos) << r.output;
}

TEST(BatchRun, ReadsTheWaveAndPrintsItsFormat)
{
    test::TempDir dir;
    synth::WavLayout layout;
    layout.channels = 2;
    layout.rate = 22050;
    layout.bits = 24;
    auto tone = synth::sine(440, 8000, 11025, 22050);
    // The whole argument names the file, blanks included.
    synth::write_wav(dir.file("song extra words.wav"), layout, synth::interleave(tone, tone));
    test::CommandResult r = run_batch("'song extra words' f:0", dir.path().string());
    EXPECT_NE(r.output.find("Wave file:song extra words.wav reading successfully.\n"
                            " sampling:44100 bit:24 channel:2 length[msec]:500\n"),
              std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("Output File Format:0\n"), std::string::npos) << r.output;
}

} // namespace
