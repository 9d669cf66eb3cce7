// Runs of the console converter that cannot write what they should: each fails with a clear
// message and leaves every file that was there byte for byte, with nothing left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "signal/wav_synth.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

const std::string batch_exe = TONAGRAM_BATCH_EXE;

class WriteSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"song.wav", "swan", "song.fft", "take.txt", "take.mid"})
            ASSERT_TRUE(synth::write_wav(dir.file(name), {}, synth::sine(440, 8000, 22050)));
        test::write_text(dir.file("song.txt"), "good text MIDI\n");
        test::write_text(dir.file("song.mid"), "good SMF\n");
    }
    test::CommandResult convert(const std::string& arguments, const std::string& prefix = "")
    {
        return test::run_command("cd '" + dir.path().string() + "' && " + prefix + "'" + batch_exe + "' " + arguments);
    }

    test::TempDir dir;
};

TEST_F(WriteSafety, NamesThatWouldOverwriteAnInputOrNameNothingAreRefused)
{
    const struct {
        const char* arguments;
        const char* message;
        const char* analysis;  // the one file the run may replace, or nullptr
    } cases[] = {
        // No extension gives no analysis file name; "fft" would make the input its own analysis.
        {"swan", "the file name needs an extension other than .fft, such as .wav.", nullptr},
        {"song.fft", "the file name needs an extension other than .fft, such as .wav.", nullptr},
        {"take.txt f:0", "Output file take.txt would replace the input file: nothing written.\n", "take.fft"},
        {"take.mid f:1", "Output file take.mid would replace the input file: nothing written.\n", "take.fft"},
    };
    for (const auto& c : cases) {
        test::write_text(dir.file("take.fft"), "good analysis\n");
        const auto before = test::directory_snapshot(dir.path());
        const test::CommandResult r = convert(c.arguments);
        EXPECT_EQ(r.exit_status, 255) << c.arguments << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.arguments << r.output;
        auto after = test::directory_snapshot(dir.path());
        if (c.analysis) {
            EXPECT_NE(after[c.analysis], before.at(c.analysis)) << c.arguments;
            after[c.analysis] = before.at(c.analysis);
        }
        EXPECT_EQ(after, before) << c.arguments;
    }
}

TEST_F(WriteSafety, AReadOnlyDirectoryGetsAnErrorAndKeepsItsFiles)
{
    std::string prefix;
    if (::geteuid() == 0) {
        // Permissions do not stop root: run as an unprivileged user instead.
        prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups -- ";
        if (test::run_command(prefix + "true").exit_status != 0)
            GTEST_SKIP() << "running as root and setpriv cannot drop to an unprivileged user";
    }
    ::chmod(dir.path().c_str(), 0555);
    const auto before = test::directory_snapshot(dir.path());
    const test::CommandResult r = convert("song", prefix);
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(r.exit_status, 255) << r.output;
    EXPECT_NE(r.output.find("Cannot create the analysis file \"song.fft\"."), std::string::npos) << r.output;
    EXPECT_EQ(test::directory_snapshot(dir.path()), before);
}

TEST_F(WriteSafety, AFullDiskGetsAnErrorAndKeepsEveryPreviousOutput)
{
    test::write_text(dir.file("song.fft"), "good analysis\n");
    const auto before = test::directory_snapshot(dir.path());
    // Files of at most 8 blocks of 512 bytes; a longer write fails instead of ending the run.
    const test::CommandResult r = convert("song", "trap '' XFSZ; ulimit -f 8; ");
    EXPECT_EQ(r.exit_status, 255) << r.output;
    EXPECT_NE(r.output.find("The analysis file \"song.fft\" could not be written completely."), std::string::npos)
        << r.output;
    EXPECT_EQ(test::directory_snapshot(dir.path()), before);
}

} // namespace
