// A conversion stopped by Ctrl-C or SIGTERM: the console converter runs as a child process
// on a long recording and is signalled while it writes its temporary analysis file.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "signal/wav_synth.h"
#include "support/test_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Starts the converter on take.wav in dir with its output thrown away, and with both
// signals at their default action whatever the test runner ignores. Returns its process id.
pid_t start_batch(const test::TempDir& dir)
{
    const std::string exe = TONAGRAM_BATCH_EXE;
    const std::string wave = dir.file("take.wav");
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    char* const argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>(wave.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, exe.c_str(), &files, &attributes, argv, environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    return pid;
}

// The hidden temporary files the converter writes beside the recording.
int temporaries(const test::TempDir& dir)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        count += name.starts_with(".take.") && name.ends_with(".tmp") ? 1 : 0;
    }
    return count;
}

TEST(BatchInterrupt, ASignalledConversionRemovesItsTemporaryFileAndKeepsTheOldAnalysis)
{
    // Long enough that the analysis is still running when the test sees its file, in any build.
    const std::vector<int16_t> recording = synth::polyphonic_passage(44100 * 60, 7);
    for (int signal_number : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal_number);
        test::TempDir dir;
        ASSERT_TRUE(synth::write_wav(dir.file("take.wav"), {}, recording));
        test::write_text(dir.file("take.fft"), "the analysis of an earlier run\n");
        const pid_t child = start_batch(dir);
        ASSERT_GT(child, 0);

        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (temporaries(dir) == 0 && std::chrono::steady_clock::now() < give_up)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const bool seen = temporaries(dir) > 0;
        ASSERT_EQ(::kill(child, seen ? signal_number : SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(seen) << "the temporary analysis file never appeared";

        EXPECT_TRUE(WIFSIGNALED(status)) << "ended by the signal, as without a handler";
        if (WIFSIGNALED(status)) {
            EXPECT_EQ(WTERMSIG(status), signal_number);
        }
        EXPECT_EQ(temporaries(dir), 0);
        EXPECT_EQ(test::read_text(dir.file("take.fft")), "the analysis of an earlier run\n");
        EXPECT_FALSE(fs::exists(dir.file("take.txt")));
        EXPECT_FALSE(fs::exists(dir.file("take.mid")));
    }
}

} // namespace
