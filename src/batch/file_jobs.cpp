#include "batch/file_jobs.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>

#include "batch/arguments.h"

extern char** environ;

namespace {

// The running children, for the signal handler: a termination request to this process is
// passed on to them, so that none goes on converting alone.
std::array<volatile sig_atomic_t, MAX_JOBS> running_pids{};

extern "C" void forward_signal(int signal_number)
{
    for (const volatile sig_atomic_t& pid : running_pids) {
        if (pid > 0)
            kill(static_cast<pid_t>(pid), signal_number);
    }
    ::signal(signal_number, SIG_DFL);
    ::raise(signal_number);
}

class SignalForwarding {
public:
    SignalForwarding()
    {
        for (size_t i = 0; i < SIGNALS.size(); ++i)
            previous_[i] = ::signal(SIGNALS[i], forward_signal);
    }
    ~SignalForwarding()
    {
        for (size_t i = 0; i < SIGNALS.size(); ++i)
            ::signal(SIGNALS[i], previous_[i]);
    }

private:
    static constexpr std::array<int, 3> SIGNALS = {SIGINT, SIGTERM, SIGHUP};
    std::array<void (*)(int), 3> previous_{};
};

// A child's held output: an unnamed temporary file, not passed on to the other children.
std::FILE* held_output()
{
    std::FILE* file = std::tmpfile();
    if (file)
        fcntl(fileno(file), F_SETFD, FD_CLOEXEC);
    return file;
}

void copy_out(std::FILE* from, std::FILE* to)
{
    if (!from)
        return;
    std::fflush(from);
    std::rewind(from);
    char buffer[1 << 14];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, from)) > 0)
        std::fwrite(buffer, 1, got, to);
    std::fflush(to);
}

struct Child {
    pid_t pid = -1;
    size_t file = 0;  // index into the file list
    std::string key;
    std::FILE* out = nullptr;  // held standard output and error, with -j above 1
    std::FILE* err = nullptr;
};

// Starts the child for one file; returns its pid, or -1 (with errno) when it cannot start.
pid_t spawn_child(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (out)
        posix_spawn_file_actions_adddup2(&actions, fileno(out), STDOUT_FILENO);
    if (err)
        posix_spawn_file_actions_adddup2(&actions, fileno(err), STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        errno = error;
        return -1;
    }
    return pid;
}

int exit_code_of(int wait_status)
{
    if (WIFEXITED(wait_status))
        return WEXITSTATUS(wait_status);
    if (WIFSIGNALED(wait_status))
        return 128 + WTERMSIG(wait_status);
    return 255;
}

void print_outcome(const FileOutcome& outcome)
{
    if (outcome.status == 0)
        std::printf("%s: done\n", outcome.file.c_str());
    else
        std::printf("%s: FAILED (exit status %d)\n", outcome.file.c_str(), outcome.status);
    std::fflush(stdout);
}

void remember_pid(pid_t pid, bool running)
{
    for (volatile sig_atomic_t& slot : running_pids) {
        if (running ? slot == 0 : slot == pid) {
            slot = running ? pid : 0;
            return;
        }
    }
}

// The next file that may start: the first waiting one whose outputs no running child writes.
std::optional<size_t> next_startable(const std::vector<bool>& started, const std::vector<std::string>& keys,
                                     const std::multiset<std::string>& running_keys)
{
    for (size_t i = 0; i < started.size(); ++i) {
        if (!started[i] && !running_keys.contains(keys[i]))
            return i;
    }
    return std::nullopt;
}

} // namespace

std::vector<std::string> child_arguments(const std::string& program, const std::string& file,
                                         const std::vector<std::string>& options)
{
    std::vector<std::string> arguments{program, file};
    if (file.starts_with("-"))
        arguments[1] = "./" + file;
    arguments.insert(arguments.end(), options.begin(), options.end());
    return arguments;
}

std::string output_key(const std::string& file)
{
    const std::filesystem::path path(file);
    std::error_code error;
    std::filesystem::path folder = std::filesystem::weakly_canonical(
        std::filesystem::absolute(path.parent_path().empty() ? "." : path.parent_path(), error), error);
    const std::string name = path.filename().string();
    return (folder / name.substr(0, name.find('.'))).string();
}

std::vector<FileOutcome> convert_files(const std::string& program, const std::vector<std::string>& files,
                                       const std::vector<std::string>& options, int32_t jobs)
{
    const bool hold_output = jobs > 1;
    jobs = std::clamp<int32_t>(jobs, 1, MAX_JOBS);
    std::vector<std::string> keys;
    for (const std::string& file : files)
        keys.push_back(output_key(file));
    std::vector<bool> started(files.size(), false);
    std::multiset<std::string> running_keys;
    std::vector<Child> running;
    std::vector<FileOutcome> outcomes;
    const SignalForwarding forwarding;

    auto finish = [&](Child& child, int status) {
        if (hold_output) {
            copy_out(child.out, stdout);
            copy_out(child.err, stderr);
        }
        for (std::FILE* f : {child.out, child.err})
            if (f)
                std::fclose(f);
        running_keys.erase(running_keys.find(child.key));
        outcomes.push_back({files[child.file], status});
        print_outcome(outcomes.back());
    };

    while (outcomes.size() < files.size()) {
        while (static_cast<int32_t>(running.size()) < jobs) {
            const std::optional<size_t> next = next_startable(started, keys, running_keys);
            if (!next)
                break;
            started[*next] = true;
            Child child{-1, *next, keys[*next], hold_output ? held_output() : nullptr,
                        hold_output ? held_output() : nullptr};
            running_keys.insert(child.key);
            child.pid = spawn_child(child_arguments(program, files[*next], options), child.out, child.err);
            if (child.pid < 0) {
                std::fprintf(stderr, "Tonagram_batch: cannot start the conversion of %s: %s\n",
                             files[*next].c_str(), std::strerror(errno));
                finish(child, 255);
                continue;
            }
            remember_pid(child.pid, true);
            running.push_back(child);
        }
        if (running.empty())
            continue;
        int wait_status = 0;
        const pid_t ended = waitpid(-1, &wait_status, 0);
        if (ended < 0) {
            if (errno == EINTR)
                continue;
            break;  // no children left to wait for: cannot happen while some run
        }
        const auto child = std::find_if(running.begin(), running.end(), [ended](const Child& c) { return c.pid == ended; });
        if (child == running.end())
            continue;
        remember_pid(ended, false);
        Child done = *child;
        running.erase(child);
        finish(done, exit_code_of(wait_status));
    }
    return outcomes;
}
