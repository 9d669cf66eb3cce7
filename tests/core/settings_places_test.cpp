// Where the programs keep their settings, seen from outside: copies of a small program that
// loads and saves as the GUI does, and of Tonagram_batch, in folders that the user running
// them may or may not write. As root the programs run as nobody, since permissions do not
// stop root.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"
#include "signal/wav_synth.h"

namespace {

namespace fs = std::filesystem;

class SettingsPlaces : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() == 0) {
            as_user = "setpriv --reuid=65534 --regid=65534 --clear-groups -- ";
            if (test::run_command(as_user + "true").exit_status != 0)
                GTEST_SKIP() << "running as root and setpriv cannot drop to an unprivileged user";
        }
        root = dir.path().string();
        for (const char* folder : {"ro/bin", "rw/bin", "home", "xdg", "locked", "work"})
            fs::create_directories(root + "/" + folder);
        for (const char* bin : {"/ro/bin/", "/rw/bin/"}) {
            fs::copy_file(TONAGRAM_SETTINGS_PROBE_EXE, root + bin + "settings_probe");
            fs::copy_file(TONAGRAM_BATCH_EXE, root + bin + "Tonagram_batch");
            test::write_text(root + bin + "Tonagram.ini", "[CONV2]\nTIME_UNIT=1000\nBIT_RATE=1111\n");
        }
        for (const char* open : {"", "/rw", "/rw/bin", "/home", "/xdg", "/work"})
            ::chmod((root + open).c_str(), 0777);
        ::chmod((root + "/rw/bin/Tonagram.ini").c_str(), 0666);
        for (const char* closed : {"/ro", "/ro/bin", "/locked"})
            ::chmod((root + closed).c_str(), 0555);
    }
    void TearDown() override
    {
        for (const char* closed : {"/ro", "/ro/bin", "/locked"})
            ::chmod((root + closed).c_str(), 0755);
    }
    // Runs command as the unprivileged user with HOME and XDG_CONFIG_HOME (unset when empty).
    test::CommandResult run(const std::string& home, const std::string& xdg, const std::string& command)
    {
        const std::string env = "env " + (xdg.empty() ? std::string("-u XDG_CONFIG_HOME") : "XDG_CONFIG_HOME=" + root + xdg) +
                                " HOME=" + root + home;
        return test::run_command("cd " + root + "/work && " + as_user + env + " " + command);
    }
    test::TempDir dir;
    std::string root;
    std::string as_user;
};

TEST_F(SettingsPlaces, EachUserSavesWhereTheyMayAndReadsTheRestFromBesideTheProgram)
{
    const struct {
        const char* name;
        const char* bin;
        const char* home;
        const char* xdg;
        const char* file;  // where the save lands, or nullptr when it must fail
    } cases[] = {
        {"writable folder: beside the program", "/rw/bin/", "/home", "", "/rw/bin/Tonagram.ini"},
        {"read-only folder: ~/.config", "/ro/bin/", "/home", "", "/home/.config/tonagram/Tonagram.ini"},
        {"read-only folder: XDG_CONFIG_HOME", "/ro/bin/", "/home", "/xdg", "/xdg/tonagram/Tonagram.ini"},
        {"nowhere to write", "/ro/bin/", "/locked", "", nullptr},
    };
    for (const auto& c : cases) {
        const std::string probe = root + c.bin + "settings_probe";
        const test::CommandResult saved = run(c.home, c.xdg, probe + " save 2222");
        if (!c.file) {
            EXPECT_EQ(saved.exit_status, 1) << c.name << saved.output;
            EXPECT_NE(saved.output.find("saved=0"), std::string::npos) << c.name << saved.output;
            EXPECT_FALSE(fs::exists(root + "/locked/.config")) << c.name;
            continue;
        }
        EXPECT_EQ(saved.exit_status, 0) << c.name << saved.output;
        EXPECT_NE(saved.output.find("file=" + root + c.file + "\n"), std::string::npos) << c.name << saved.output;
        EXPECT_NE(test::read_text(root + c.file).find("BIT_RATE=2222\n"), std::string::npos) << c.name;
        // Loaded again: the saved value, and TIME_UNIT as the file beside the program gave it
        // (a save writes every key with the values in force).
        const test::CommandResult loaded = run(c.home, c.xdg, probe);
        EXPECT_NE(loaded.output.find("BIT_RATE=2222\n"), std::string::npos) << c.name << loaded.output;
        EXPECT_NE(loaded.output.find("TIME_UNIT=1000\n"), std::string::npos) << c.name << loaded.output;
        fs::remove(root + c.file);
    }
    EXPECT_EQ(test::read_text(root + "/ro/bin/Tonagram.ini"), "[CONV2]\nTIME_UNIT=1000\nBIT_RATE=1111\n");
}

TEST_F(SettingsPlaces, TheBatchProgramReadsTheUsersFileOverTheOneBesideIt)
{
    ASSERT_TRUE(synth::write_wav(root + "/work/tone.wav", {}, synth::sine(440.0, 8000.0, 22050)));
    fs::create_directories(root + "/xdg/tonagram");
    test::write_text(root + "/xdg/tonagram/Tonagram.ini", "[CONV2]\nTIME_UNIT=2000\n");
    // Beside says 1000; the user's own file says 2000 and wins where the folder is read-only.
    const struct {
        const char* bin;
        const char* resolution;
    } cases[] = {{"/ro/bin/", "Time_Resolution 2000\n"}, {"/rw/bin/", "Time_Resolution 1000\n"}};
    for (const auto& c : cases) {
        const test::CommandResult r = run("/home", "/xdg", root + c.bin + "Tonagram_batch tone f:0");
        EXPECT_EQ(r.exit_status, 0) << c.bin << r.output;
        EXPECT_NE(test::read_text(root + "/work/tone.txt").find(c.resolution), std::string::npos) << c.bin;
    }
}

} // namespace
