#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "core/file_io.h"
#include "core/temporary_files.h"
#include "support/test_support.h"
#include "support/unreadable_paths.h"

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

namespace {

// What the whole-file reads make of each kind of path; a FIFO with no writer must be
// refused at once, not waited on.
TEST(WholeFileRead, OnlyRegularFilesOfAKnownSizeAreRead)
{
    test::TempDir dir;
    test::write_text(dir.file("small.txt"), "Version 645");
    fs::create_symlink(dir.file("small.txt"), dir.file("link.txt"));
    std::vector<test::UnreadablePath> cases = test::make_unreadable_paths(dir, ".mid");
    ASSERT_FALSE(cases.empty());
    cases.push_back({dir.file("small.txt"), FileReadProblem::None});
    cases.push_back({dir.file("link.txt"), FileReadProblem::None});
    cases.push_back({dir.file("missing.txt"), FileReadProblem::CannotOpen});
    ::alarm(60);  // a read that waits on the FIFO would hang here for good
    for (const test::UnreadablePath& c : cases) {
        SCOPED_TRACE(c.path);
        const auto bytes = read_file_bytes(c.path.c_str());
        EXPECT_EQ(bytes.has_value(), c.problem == FileReadProblem::None);
        EXPECT_EQ(last_file_read_problem(), c.problem);
        const auto text = read_file_text(c.path.c_str());
        EXPECT_EQ(text.has_value(), c.problem == FileReadProblem::None);
        EXPECT_EQ(last_file_read_problem(), c.problem);
        if (text) {
            EXPECT_EQ(*text, "Version 645");
        }
        EXPECT_EQ(static_cast<bool>(open_regular_file(c.path.c_str())),
                  c.problem == FileReadProblem::None || c.problem == FileReadProblem::TooLarge);
        EXPECT_EQ(std::string(file_read_problem_text(c.problem)).empty(), c.problem == FileReadProblem::None);
    }
    ::alarm(0);
}

TEST(TemporaryFiles, SlotsAreTakenAndGivenBack)
{
    const int before = registered_temporary_files();
    std::vector<int> slots;
    for (int i = before; i < TEMPORARY_FILE_SLOTS; ++i) {
        slots.push_back(register_temporary_file(("/tmp/x" + std::to_string(i)).c_str()));
        EXPECT_GE(slots.back(), 0);
    }
    EXPECT_EQ(register_temporary_file("/tmp/one-too-many"), -1);
    EXPECT_EQ(register_temporary_file(std::string(TEMPORARY_PATH_CAPACITY, 'a').c_str()), -1);
    unregister_temporary_file(slots.back());
    EXPECT_GE(register_temporary_file("/tmp/again"), 0);
    for (int slot : slots)
        unregister_temporary_file(slot);
    unregister_temporary_file(-1);
    EXPECT_EQ(registered_temporary_files(), before);

    // A ReplacingFile registers its temporary file exactly while it exists.
    test::TempDir dir;
    {
        ReplacingFile file(dir.file("out.txt").c_str());
        EXPECT_EQ(registered_temporary_files(), before + 1);
        EXPECT_TRUE(file.commit());
        EXPECT_EQ(registered_temporary_files(), before);
    }
    {
        ReplacingFile file(dir.file("out.txt").c_str());
        EXPECT_EQ(registered_temporary_files(), before + 1);
    }
    EXPECT_EQ(registered_temporary_files(), before);
}

} // namespace
