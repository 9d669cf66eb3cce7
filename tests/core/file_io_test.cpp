#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "core/file_io.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

bool write_all(ReplacingFile& file, const std::string& text)
{
    return file && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
}

TEST(ReplacingFile, CommitPutsTheWholeFileInPlaceAndLeavesNothingElse)
{
    test::TempDir dir;
    const std::string path = dir.file("out.txt");
    test::write_text(path, "old");
    ::chmod(path.c_str(), 0640);
    {
        ReplacingFile file(path.c_str());
        ASSERT_TRUE(write_all(file, "new content"));
        EXPECT_EQ(test::read_text(path), "old") << "nothing changes before the commit";
        EXPECT_TRUE(file.commit());
    }
    EXPECT_EQ(test::read_text(path), "new content");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_EQ(test::directory_snapshot(dir.path()).size(), 1u);

    ReplacingFile fresh(dir.file("fresh.txt").c_str());
    ASSERT_TRUE(write_all(fresh, "x"));
    EXPECT_TRUE(fresh.commit());
    EXPECT_EQ(test::read_text(dir.file("fresh.txt")), "x");
}

// Writing back early hands the content to the system but replaces nothing before the commit,
// on a regular file as on a device.
TEST(ReplacingFile, WritingBackEarlyLeavesTheDestinationUntilTheCommit)
{
    test::TempDir dir;
    const std::string path = dir.file("out.txt");
    test::write_text(path, "old");
    ReplacingFile file(path.c_str());
    ASSERT_TRUE(write_all(file, "first half, "));
    start_writing_back(file.get());
    EXPECT_EQ(test::read_text(path), "old");
    ASSERT_TRUE(write_all(file, "second half"));
    start_writing_back(file.get());
    EXPECT_TRUE(file.commit());
    EXPECT_EQ(test::read_text(path), "first half, second half");

    ReplacingFile null_device("/dev/null");
    ASSERT_TRUE(write_all(null_device, "discarded"));
    start_writing_back(null_device.get());
    EXPECT_TRUE(null_device.commit());
}

TEST(ReplacingFile, AWriteThatNeverCommitsLeavesThePreviousFile)
{
    test::TempDir dir;
    const std::string path = dir.file("out.txt");
    test::write_text(path, "good");
    {
        ReplacingFile file(path.c_str());
        ASSERT_TRUE(write_all(file, "half"));
    }  // an error or exception before commit
    EXPECT_EQ(test::read_text(path), "good");
    EXPECT_EQ(test::directory_snapshot(dir.path()).size(), 1u);
}

TEST(ReplacingFile, ALinkIsFollowedAndDevicesAreWrittenDirectly)
{
    test::TempDir dir;
    fs::create_directory(dir.path() / "real");
    test::write_text(dir.file("real/target.txt"), "old");
    fs::create_symlink("real/target.txt", dir.path() / "link.txt");
    ReplacingFile through_link(dir.file("link.txt").c_str());
    ASSERT_TRUE(write_all(through_link, "new"));
    ASSERT_TRUE(through_link.commit());
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.txt"));
    EXPECT_EQ(test::read_text(dir.file("real/target.txt")), "new");

    ReplacingFile null_device("/dev/null");
    ASSERT_TRUE(write_all(null_device, "discarded"));
    EXPECT_TRUE(null_device.commit());
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(ReplacingFile, FailuresAreReportedAndChangeNothing)
{
    test::TempDir dir;
    test::write_text(dir.file("plain"), "a regular file");
    const auto before = test::directory_snapshot(dir.path());
    fs::create_directory(dir.path() / "folder");

    ReplacingFile under_a_file(dir.file("plain/out.txt").c_str());
    EXPECT_FALSE(under_a_file);
    EXPECT_FALSE(under_a_file.commit());
    ReplacingFile a_directory(dir.file("folder").c_str());
    EXPECT_FALSE(a_directory.commit());
    ReplacingFile full_device("/dev/full");
    EXPECT_TRUE(write_all(full_device, std::string(100000, 'x')) == false || !full_device.commit());

    // A full disk: the temporary file cannot take the content.
    const std::string path = dir.file("plain");
    const int committed = test::run_with_file_size_limit(1000, [&path] {
        ReplacingFile file(path.c_str());
        write_all(file, std::string(5000, 'x'));
        return file.commit() ? 1 : 0;
    });
    EXPECT_EQ(committed, 0);
    fs::remove(dir.path() / "folder");
    EXPECT_EQ(test::directory_snapshot(dir.path()), before);
}

} // namespace
