#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/arguments.h"
#include "batch/file_jobs.h"

namespace {

BatchRequest parse(const std::vector<const char*>& arguments)
{
    return parse_batch_arguments(arguments);
}

TEST(BatchArguments, AnArgumentAfterTheFirstFileIsAnOptionOnlyWhenItLooksLikeOne)
{
    struct Case {
        const char* argument;
        bool option;
    };
    const Case cases[] = {
        // The options as they have always been written, valueless and unknown ones included.
        {"f:1", true}, {"o:0", true}, {"m:1", true}, {"w:8192", true}, {"t:384", true},
        {"b:12000", true}, {"h:20", true}, {"c:1", true}, {"b=-3", true}, {"t: 77", true},
        {"hh99999999999", true}, {"O:1", true}, {"x:5", true}, {"f:", true}, {"f", true},
        {"w:abc", true}, {"f-1", true},
        // File names: an extension, a folder, a digit or sign first, no number third.
        {"b.wav", false}, {"My Song.wav", false}, {"dir/f:1", false}, {"./f:1", false},
        {"2019-01", false}, {"-take", false}, {"song", false}, {"song2", false},
        {"f:1.5", false}, {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(is_option_argument(c.argument), c.option) << '"' << c.argument << '"';
}

TEST(BatchArguments, SortsFilesOptionsAndSwitches)
{
    struct Case {
        std::vector<const char*> arguments;
        BatchAction action;
        std::vector<std::string> files, options;
        int32_t jobs;
    };
    const Case cases[] = {
        {{}, BatchAction::Usage, {}, {}, 1},
        {{"song"}, BatchAction::Convert, {"song"}, {}, 1},
        {{"My Song.wav", "f:1"}, BatchAction::Convert, {"My Song.wav"}, {"f:1"}, 1},
        // The first argument is the file name whatever it looks like.
        {{"f:1", "o:1"}, BatchAction::Convert, {"f:1"}, {"o:1"}, 1},
        {{"a.wav", "b.wav", "m:1", "c.wav", "h:20"}, BatchAction::Convert, {"a.wav", "b.wav", "c.wav"}, {"m:1", "h:20"}, 1},
        {{"-j", "2", "a.wav", "./b", "b"}, BatchAction::Convert, {"a.wav", "./b"}, {"b"}, 2},
        {{"a.wav", "-j3", "b.wav"}, BatchAction::Convert, {"a.wav", "b.wav"}, {}, 3},
        {{"--jobs=4", "a.wav"}, BatchAction::Convert, {"a.wav"}, {}, 4},
        {{"--jobs", "5", "a.wav"}, BatchAction::Convert, {"a.wav"}, {}, 5},
        {{"a.wav", "--", "f:1", "--help", "-j"}, BatchAction::Convert, {"a.wav", "f:1", "--help", "-j"}, {}, 1},
        {{"a.wav", "--help"}, BatchAction::Help, {"a.wav"}, {}, 1},
        {{"--version", "--bogus"}, BatchAction::Version, {}, {}, 1},
        {{"--help", "--version"}, BatchAction::Help, {}, {}, 1},
        {{"--bogus", "a.wav"}, BatchAction::Error, {"a.wav"}, {}, 1},
        {{"a.wav", "-j"}, BatchAction::Error, {"a.wav"}, {}, 1},
        {{"a.wav", "-j", "0"}, BatchAction::Error, {"a.wav"}, {}, 1},
        {{"a.wav", "-j", "257"}, BatchAction::Error, {"a.wav"}, {}, 1},
        {{"a.wav", "-jx"}, BatchAction::Error, {"a.wav"}, {}, 1},
        {{"-j", "2"}, BatchAction::Error, {}, {}, 2},
    };
    for (const Case& c : cases) {
        const BatchRequest r = parse(c.arguments);
        std::string shown;
        for (const char* a : c.arguments)
            shown += std::string(" ") + a;
        EXPECT_EQ(r.action, c.action) << shown;
        EXPECT_EQ(r.files, c.files) << shown;
        EXPECT_EQ(r.options, c.options) << shown;
        EXPECT_EQ(r.jobs, c.jobs) << shown;
        if (c.action == BatchAction::Error || c.action == BatchAction::Convert) {
            EXPECT_EQ(r.error.empty(), c.action == BatchAction::Convert) << shown << ": " << r.error;
        }
    }
}

TEST(FileJobs, AChildConvertsItsFileAloneWithTheSameOptions)
{
    EXPECT_EQ(child_arguments("prog", "My Song.wav", {"f:1", "m:1"}),
              (std::vector<std::string>{"prog", "My Song.wav", "f:1", "m:1"}));
    // A name that would read as a program option stays a file name.
    EXPECT_EQ(child_arguments("prog", "--help", {}), (std::vector<std::string>{"prog", "./--help"}));
    EXPECT_EQ(child_arguments("prog", "-j", {}), (std::vector<std::string>{"prog", "./-j"}));
}

TEST(FileJobs, NamesThatShareOutputsShareAKey)
{
    EXPECT_EQ(output_key("a"), output_key("a.wav"));
    EXPECT_EQ(output_key("a.wav"), output_key("./a.WAV"));
    EXPECT_EQ(output_key("a.wav"), output_key("sub/../a.wav"));
    EXPECT_NE(output_key("a.wav"), output_key("b.wav"));
    EXPECT_NE(output_key("My.wav"), output_key("My Song.wav"));
    EXPECT_NE(output_key("a.wav"), output_key("sub/a.wav"));
}

} // namespace
