// The console converter's command line as a shell passes it: whole file names with blanks,
// long paths, --help and --version, and several files in one run.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "batch_test_helpers.h"
#include "signal/wav_synth.h"
#include "support/test_support.h"

namespace {

const std::string batch_exe = TONAGRAM_BATCH_EXE;

std::string quoted(const std::string& text)
{
    std::string q = "'";
    for (char c : text)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string batch_command(const std::string& arguments, const std::filesystem::path& directory)
{
    return "cd " + quoted(directory.string()) + " && " + quoted(batch_exe) + " " + arguments;
}

test::CommandResult run_batch(const std::string& arguments, const std::filesystem::path& directory)
{
    return test::run_command(batch_command(arguments, directory));
}

// Standard output alone.
test::CommandResult run_batch_stdout(const std::string& arguments, const std::filesystem::path& directory)
{
    return test::run_command("{ " + batch_command(arguments, directory) + " 2>/dev/null; }");
}

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

void write_tone(const std::string& path, double frequency)
{
    ASSERT_TRUE(synth::write_wav(path, synth::WavLayout{}, synth::sine(frequency, 9000, 44100 / 5)));
}

std::map<std::string, std::vector<uint8_t>> outputs(const std::filesystem::path& directory, const std::string& stem)
{
    std::map<std::string, std::vector<uint8_t>> files;
    for (const char* extension : {".fft", ".txt", ".mid"})
        files[stem + extension] = test::read_bytes((directory / (stem + extension)).string());
    return files;
}

TEST(BatchFileNames, ANameWithBlanksIsTheWholeArgumentAndLeavesItsNamesakeAlone)
{
    test::TempDir dir;
    write_tone(dir.file("My.wav"), 440);
    write_tone(dir.file("My Song.wav"), 660);
    for (const char* extension : {".txt", ".mid", ".fft"})
        test::write_text(dir.file(std::string("My") + extension), "the outputs of My.wav\n");
    const auto before = test::directory_snapshot(dir.path());

    for (const char* argument : {"'My Song.wav'", "'My Song'"}) {
        const test::CommandResult r = run_batch(argument, dir.path());
        EXPECT_EQ(r.exit_status, 0) << r.output;
        EXPECT_TRUE(has(r.output, "Wave file:My Song.wav reading successfully.")) << r.output;
        const auto after = test::directory_snapshot(dir.path());
        for (const auto& [name, bytes] : before)
            EXPECT_EQ(after.at(name), bytes) << name << " changed";
        for (const char* extension : {".txt", ".mid", ".fft"})
            EXPECT_FALSE(test::read_bytes(dir.file(std::string("My Song") + extension)).empty()) << extension;
    }
}

TEST(BatchFileNames, PathsUpToTheSystemsLimitConvert)
{
    test::TempDir dir;
    // Three folders and a file name of 100 bytes each: a path of over 400 bytes.
    std::filesystem::path folder = dir.path();
    for (char c : {'a', 'b', 'c'})
        folder /= std::string(100, c);
    std::filesystem::create_directories(folder);
    const std::string stem = std::string(96, 'n');
    const std::filesystem::path wave = folder / (stem + ".wav");
    ASSERT_GT(wave.string().size(), 400u);
    write_tone(wave.string(), 440);
    const test::CommandResult r = run_batch(quoted(wave.string()), dir.path());
    EXPECT_EQ(r.exit_status, 0) << r.output;
    for (const auto& [name, bytes] : outputs(folder, stem))
        EXPECT_FALSE(bytes.empty()) << name;

    // Beyond the system's limit the name is refused, not cut.
    const test::CommandResult refused = run_batch(std::string(4096, 'x'), dir.path());
    EXPECT_EQ(refused.exit_status, 255);
    EXPECT_TRUE(has(refused.output, "File name too long: at most 4095 bytes are supported.")) << refused.output;
}

TEST(BatchSwitches, HelpAndVersionGoToStandardOutputAndSucceed)
{
    test::TempDir dir;
    const test::CommandResult help = run_batch_stdout("--help", dir.path());
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_TRUE(help.output.starts_with("Usage: Tonagram_batch FILE[.wav]... [OPTION]...\n")) << help.output;
    for (const char* option : {"  f:0/1/2", "  o:0/1", "  m:0/1", "  w:256-8192", "  t:1-1536", "  b:1-90000",
                               "  h:1-64", "  c:0/1        clean transcription (off by default)", "-j N, --jobs=N",
                               "--help", "--version", "Exit status:"})
        EXPECT_TRUE(has(help.output, option)) << option;
    EXPECT_EQ(run_batch_stdout("a.wav f:1 --help", dir.path()).output, help.output);

    const test::CommandResult version = run_batch_stdout("--version", dir.path());
    EXPECT_EQ(version.exit_status, 0);
    EXPECT_EQ(version.output, "Tonagram_batch 6.53\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "nothing is read or written";

    const test::CommandResult wrong = run_batch("--bogus", dir.path());
    EXPECT_EQ(wrong.exit_status, 255);
    EXPECT_TRUE(has(wrong.output, "unrecognized option '--bogus'")) << wrong.output;
    EXPECT_EQ(run_batch_stdout("--bogus", dir.path()).output, "") << "errors go to standard error";
}

TEST(BatchSwitches, WithoutArgumentsTheBannerAndUsageStayAsTheyWere)
{
    test::TempDir dir;
    const test::CommandResult r = run_batch_stdout("", dir.path());
    EXPECT_EQ(r.exit_status, 255);
    EXPECT_EQ(r.output, std::string("Tonagram_batch version 6.53: converts a WAV audio file into MIDI files\n") +
                            batch_test::LEGACY_USAGE);
}

// Each file converted alone in a folder of its own: the bytes several-file runs must match.
std::map<std::string, std::vector<uint8_t>> alone(const std::string& name, double frequency, const std::string& options)
{
    test::TempDir dir;
    write_tone(dir.file(name + ".wav"), frequency);
    EXPECT_EQ(run_batch(quoted(name + ".wav") + " " + options, dir.path()).exit_status, 0);
    return outputs(dir.path(), name);
}

TEST(BatchSeveralFiles, EachFileGetsTheOutputsOfARunOnItAlone)
{
    const std::string options = "m:1 h:20";
    std::map<std::string, std::vector<uint8_t>> expected = alone("a", 440, options);
    expected.merge(alone("b c", 523.25, options));
    for (const char* jobs : {"", "-j 2 ", "--jobs=3 "}) {
        test::TempDir dir;
        write_tone(dir.file("a.wav"), 440);
        write_tone(dir.file("b c.wav"), 523.25);
        // missing.wav fails; "./a" names a.wav again and must never run beside it.
        const test::CommandResult r =
            run_batch(std::string(jobs) + "a.wav m:1 'b c.wav' missing.wav ./a h:20", dir.path());
        EXPECT_EQ(r.exit_status, 255) << jobs << r.output;
        EXPECT_TRUE(has(r.output, "a.wav: done\n")) << jobs << r.output;
        EXPECT_TRUE(has(r.output, "b c.wav: done\n")) << jobs << r.output;
        EXPECT_TRUE(has(r.output, "./a: done\n")) << jobs << r.output;
        EXPECT_TRUE(has(r.output, "missing.wav: FAILED (exit status 255)\n")) << jobs << r.output;
        EXPECT_TRUE(has(r.output, "Wave file:missing.wav reading Error!!\n")) << jobs << r.output;
        EXPECT_TRUE(has(r.output, "3 of 4 files converted.\n")) << jobs << r.output;
        std::map<std::string, std::vector<uint8_t>> got = outputs(dir.path(), "a");
        got.merge(outputs(dir.path(), "b c"));
        for (const auto& [name, bytes] : expected) {
            EXPECT_FALSE(bytes.empty()) << name;
            EXPECT_TRUE(got.at(name) == bytes) << jobs << name << " differs from a run on its file alone";
        }
    }
}

TEST(BatchSeveralFiles, AllConvertedExitsZeroAndHeldOutputStaysWhole)
{
    test::TempDir dir;
    write_tone(dir.file("x.wav"), 330);
    write_tone(dir.file("y.wav"), 440);
    const test::CommandResult r = run_batch("-j 2 x.wav y.wav f:0", dir.path());
    EXPECT_EQ(r.exit_status, 0) << r.output;
    EXPECT_TRUE(has(r.output, "2 of 2 files converted.\n")) << r.output;
    // Each child's lines come out together, from its banner to its last line.
    for (const char* name : {"x", "y"}) {
        const std::string block = std::string("Wave file:") + name + ".wav reading successfully.\n";
        const size_t start = r.output.find(block);
        ASSERT_NE(start, std::string::npos) << r.output;
        const size_t end = r.output.find("TXT MIDI file is successfully created.\n", start);
        ASSERT_NE(end, std::string::npos) << r.output;
        EXPECT_FALSE(has(r.output.substr(start + block.size(), end - start - block.size()), "Wave file:"))
            << "another file's lines inside " << name << "'s: " << r.output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.mid"))) << "f:0 reached every file";
}

} // namespace
