#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/program_directory.h"
#include "support/test_support.h"

namespace {

// The manual of a build tree lies beside the program; an installed or moved tree has it in
// share/tonagram/ next to bin/.
TEST(ProgramData, FoundBesideTheProgramFirstThenInTheInstalledDataDirectory)
{
    const struct {
        const char* name;
        const char* files[2];  // files to create under the scratch folder
        const char* expected;  // relative to the scratch folder
        bool installed;
    } cases[] = {
        {"build tree", {"bin/manual.txt", nullptr}, "bin/manual.txt", false},
        {"installed tree", {"usr/share/tonagram/manual.txt", nullptr}, "usr/bin/../share/tonagram/manual.txt", true},
        {"beside wins", {"bin/manual.txt", "share/tonagram/manual.txt"}, "bin/manual.txt", true},
        {"neither: beside", {nullptr, nullptr}, "bin/manual.txt", false},
        {"a folder of that name is no file", {"bin/manual.txt/x", nullptr}, "bin/manual.txt", false},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const std::string root = dir.path().string() + "/";
        const std::string bin = std::string(c.expected).starts_with("usr/") ? root + "usr/bin/" : root + "bin/";
        std::filesystem::create_directories(bin);
        for (const char* file : c.files) {
            if (!file)
                continue;
            std::filesystem::create_directories(std::filesystem::path(root + file).parent_path());
            test::write_text(root + file, "manual");
        }
        EXPECT_EQ(find_program_data_file(bin, "manual.txt"), root + c.expected) << c.name;
        EXPECT_EQ(is_installed_layout(bin), c.installed) << c.name;
    }
}

TEST(ProgramData, TheRunningProgramLooksBesideItself)
{
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string dir = exe.substr(0, exe.rfind('/') + 1);
    EXPECT_EQ(executable_directory(), dir);
    EXPECT_EQ(installed_data_directory(dir), dir + "../share/tonagram/");
}

} // namespace
