// The Debian package as a user gets it: built by CPack from this build tree (or the one named
// by TONAGRAM_TEST_PACKAGE, such as `make package` leaves), unpacked with dpkg-deb into a
// scratch folder, and run from there with no build tree in reach. A package built from the
// sanitizer build of `make test` checks the layout and the programs' lookups, not the
// product: that one comes from the release build (`make package`).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "core/program_directory.h"
#include "support/test_support.h"
#include "signal/wav_synth.h"

namespace {

namespace fs = std::filesystem;

const std::string APP_ID = "org.tonagram.Tonagram";
const int ICON_SIZES[] = {16, 24, 32, 48, 64, 128, 256};

// text as one word of a shell command (the scratch paths hold no quote).
std::string shell_word(const std::string& text)
{
    return "'" + text + "'";
}

class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        scratch = std::make_unique<test::TempDir>();
        const char* given = std::getenv("TONAGRAM_TEST_PACKAGE");
        deb = given && *given ? fs::absolute(given).string() : build_package();
        root = scratch->file("root");
        unpacked = test::run_command("dpkg-deb -x " + shell_word(deb) + " " + shell_word(root));
    }
    static void TearDownTestSuite() { scratch.reset(); }

    // cpack over this build tree, into the scratch folder; gzip keeps it quick.
    static std::string build_package()
    {
        const std::string out = scratch->file("package");
        const test::CommandResult r = test::run_command(
            shell_word(TONAGRAM_CPACK) + " -G DEB -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip --config " +
            shell_word(std::string(TONAGRAM_BINARY_DIR) + "/CPackConfig.cmake") + " -B " + shell_word(out));
        cpack_output = r.output;
        std::error_code missing;
        for (const fs::directory_entry& e : fs::directory_iterator(out, missing))
            if (e.path().extension() == ".deb")
                return e.path().string();
        return out + "/no package was built";
    }

    void SetUp() override { ASSERT_EQ(unpacked.exit_status, 0) << cpack_output << unpacked.output; }

    static std::string installed(const std::string& relative) { return root + "/usr/" + relative; }

    static inline std::unique_ptr<test::TempDir> scratch;
    static inline std::string deb, root, cpack_output;
    static inline test::CommandResult unpacked;
};

TEST_F(Package, NamedAfterVersionAndArchitectureWithComputedDependencies)
{
    const std::string arch = test::run_command("dpkg --print-architecture").output;
    EXPECT_EQ(fs::path(deb).filename().string(), "tonagram_" TONAGRAM_PACKAGE_VERSION "_" + arch.substr(0, arch.find('\n')) + ".deb");
    const test::CommandResult fields = test::run_command("dpkg-deb -f " + shell_word(deb) + " Package Version Depends Recommends");
    EXPECT_NE(fields.output.find("Package: tonagram\n"), std::string::npos) << fields.output;
    EXPECT_NE(fields.output.find("Version: " TONAGRAM_PACKAGE_VERSION "\n"), std::string::npos) << fields.output;
    // Computed by dpkg-shlibdeps from what the programs link, and the ones named by hand.
    for (const char* depends : {"libc6 (>=", "libqt6widgets6", "libfluidsynth3", "sf2-soundfont-gm", "qt6-qpa-plugins"})
        EXPECT_NE(fields.output.find(depends), std::string::npos) << depends << "\n" << fields.output;
}

TEST_F(Package, HoldsTheProgramsAndTheirDataAndNothingElse)
{
    std::set<std::string> expected = {
        "usr/bin/Tonagram",
        "usr/bin/Tonagram_batch",
        "usr/share/tonagram/manual.txt",
        "usr/share/applications/" + APP_ID + ".desktop",
        "usr/share/metainfo/" + APP_ID + ".metainfo.xml",
        "usr/share/icons/hicolor/scalable/apps/" + APP_ID + ".svg",
        "usr/share/man/man1/Tonagram.1.gz",
        "usr/share/man/man1/Tonagram_batch.1.gz",
    };
    for (int size : ICON_SIZES)
        expected.insert("usr/share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps/" +
                        APP_ID + ".png");
    std::set<std::string> found;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root))
        if (!e.is_directory())
            found.insert(fs::relative(e.path(), root).string());
    EXPECT_EQ(found, expected);
}

TEST_F(Package, DesktopEntryAndAppStreamDataValidate)
{
    const std::string desktop = installed("share/applications/" + APP_ID + ".desktop");
    const test::CommandResult entry = test::run_command("desktop-file-validate " + shell_word(desktop));
    EXPECT_EQ(entry.exit_status, 0) << entry.output;
    EXPECT_EQ(entry.output, "") << "no warnings either";
    const test::CommandResult metainfo =
        test::run_command("appstreamcli validate --no-net --no-color " + shell_word(installed("share/metainfo/" + APP_ID + ".metainfo.xml")));
    EXPECT_EQ(metainfo.exit_status, 0) << metainfo.output;
    EXPECT_EQ(metainfo.output.find("W:"), std::string::npos) << metainfo.output;

    const std::string text = test::read_text(desktop);
    for (const char* line : {"\nExec=Tonagram %f\n", "\nIcon=org.tonagram.Tonagram\n", "\nName[ja]=", "\nComment[ja]=",
                             "\nMimeType=audio/x-wav;audio/wav;audio/midi;audio/x-midi;\n", "\nCategories=AudioVideo;Audio;Midi;"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

// The PNG header's width and height (big-endian at bytes 16 and 20).
std::pair<int, int> png_size(const std::string& path)
{
    const std::vector<uint8_t> b = test::read_bytes(path);
    if (b.size() < 24 || b[1] != 'P' || b[2] != 'N' || b[3] != 'G')
        return {0, 0};
    auto word = [&](size_t at) { return b[at] << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3]; };
    return {word(16), word(20)};
}

TEST_F(Package, IconsAreDrawnAtEverySize)
{
    for (int size : ICON_SIZES) {
        const std::string dir = std::to_string(size) + "x" + std::to_string(size);
        EXPECT_EQ(png_size(installed("share/icons/hicolor/" + dir + "/apps/" + APP_ID + ".png")), std::make_pair(size, size))
            << dir;
    }
    EXPECT_NE(test::read_text(installed("share/icons/hicolor/scalable/apps/" + APP_ID + ".svg")).find("<svg"),
              std::string::npos);
}

TEST_F(Package, ManPagesRenderWithoutWarnings)
{
    const struct {
        const char* page;
        const char* sections[4];
    } cases[] = {
        {"Tonagram_batch.1.gz", {"--jobs=n", "c:{0|1}", "EXIT STATUS", "Tonagram_batch -j 2"}},
        {"Tonagram.1.gz", {"--render input output.png", "--version", "XDG_CONFIG_HOME", "EXAMPLES"}},
    };
    for (const auto& c : cases) {
        const std::string man = "LC_ALL=C.UTF-8 MANWIDTH=100 man --warnings -l " + shell_word(installed("share/man/man1/") + c.page);
        const test::CommandResult warnings = test::run_command(man + " 2>&1 >/dev/null");
        EXPECT_EQ(warnings.exit_status, 0) << c.page;
        EXPECT_EQ(warnings.output, "") << c.page;
        const std::string text = test::run_command(man + " | col -b").output;
        for (const char* section : c.sections)
            EXPECT_NE(text.find(section), std::string::npos) << c.page << ": " << section << "\n" << text;
    }
}

// Converting and rendering from a fresh folder: the only things used are the unpacked files.
TEST_F(Package, UnpackedProgramsConvertAndRenderAndAMovedCopyFindsItsManual)
{
    test::TempDir work;
    const std::string moved = scratch->file("elsewhere/tonagram");
    fs::create_directories(fs::path(moved).parent_path());
    ASSERT_EQ(test::run_command("cp -a " + shell_word(root + "/usr") + " " + shell_word(moved)).exit_status, 0);
    std::vector<double> mix(44100, 0.0);
    for (double note : {60.0, 64.0, 67.0})
        synth::add_plucked_note(mix, note, 3000.0, 2000, 30000);
    ASSERT_TRUE(synth::write_wav(work.file("chord.wav"), {}, synth::to_pcm16(mix)));

    // HOME in the scratch folder: an installed copy keeps each user's settings there.
    const std::string env = "cd " + shell_word(work.path().string()) + " && env -u XDG_CONFIG_HOME HOME=" +
                            shell_word(work.path().string()) + " QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ";
    const test::CommandResult batch = test::run_command(env + shell_word(installed("bin/Tonagram_batch")) + " chord.wav");
    ASSERT_EQ(batch.exit_status, 0) << batch.output;
    EXPECT_TRUE(fs::exists(work.file("chord.mid")));
    for (const std::string& prefix : {root + "/usr", moved}) {
        const test::CommandResult render =
            test::run_command(env + shell_word(prefix + "/bin/Tonagram") + " --render chord.txt roll.png --size 320x200");
        EXPECT_EQ(render.exit_status, 0) << prefix << render.output;
        EXPECT_EQ(png_size(work.file("roll.png")), std::make_pair(320, 200)) << prefix;
        fs::remove(work.file("roll.png"));
        EXPECT_EQ(find_program_data_file(prefix + "/bin/", "manual.txt"), prefix + "/bin/../share/tonagram/manual.txt");
        EXPECT_TRUE(is_installed_layout(prefix + "/bin/"));
    }
    EXPECT_FALSE(fs::exists(work.file(".config"))) << "converting and rendering save no settings";
}

} // namespace
