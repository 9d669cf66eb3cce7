// Helpers shared by every test program: scratch directories, files and program-wide state.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/engine_state.h"

namespace test {

// A fresh directory under the system temporary directory, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::vector<uint8_t> read_bytes(const std::string& path);
std::string read_text(const std::string& path);
void write_text(const std::string& path, const std::string& text);
void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);

// A file of size zero bytes that takes no disk space (sparse): for size limits.
void write_sparse(const std::string& path, int64_t size);

struct CommandResult {
    int exit_status = -1;  // as the shell sees it (0..255), or -1 when the command did not run
    std::string output;    // standard output and standard error together
};

// Runs a shell command and collects what it prints.
CommandResult run_command(const std::string& command);

// Runs body in a child process that may write files of at most max_bytes (a full disk:
// longer writes fail with EFBIG instead of ending the process) and returns its result, or
// -1 when the child did not end normally.
int run_with_file_size_limit(size_t max_bytes, const std::function<int()>& body);

// Every entry of a directory (not recursive) with the bytes of the regular files: a snapshot
// that shows whether a run changed, added or left behind any file.
std::map<std::string, std::vector<uint8_t>> directory_snapshot(const std::filesystem::path& directory);

} // namespace test
