#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>

#include "batch/batch_run.h"
#include "conversion/conversion_driver.h"
#include "core/messages.h"
#include "support/engine_state.h"

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

TEST(BatchRun, AConversionThatThrowsFailsWithAMessageInsteadOfEndingTheProgram)
{
    struct Case {
        bool bad_alloc;
        const char* message;
    };
    const Case cases[] = {
        {true, "Not enough memory for the conversion: nothing written."},
        {false, "The conversion failed (injected): nothing written."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        test::TempDir dir;
        const std::string wave = dir.file("song.wav");
        ASSERT_TRUE(synth::write_wav(wave, {}, synth::sine(440, 8000, 11025)));
        conversion_stage_hook = c.bad_alloc ? +[](ConversionStage) { throw std::bad_alloc(); }
                                            : +[](ConversionStage) { throw std::runtime_error("injected"); };
        const char* argv[] = {"Tonagram_batch", wave.c_str()};
        testing::internal::CaptureStdout();
        const int status = batch_main(2, argv);
        const std::string output = testing::internal::GetCapturedStdout();
        conversion_stage_hook = nullptr;
        message_hook = nullptr;
        test::reset_engine_state();
        EXPECT_EQ(status, -1);
        EXPECT_NE(output.find(c.message), std::string::npos) << output;
        EXPECT_EQ(test::directory_snapshot(dir.path()).size(), 1u) << "nothing but the recording";
    }
}

} // namespace
