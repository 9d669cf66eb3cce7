// Helpers shared by every test program: scratch directories, files and program-wide state.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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

// Puts every program-wide record of the engine back to its start values.
void reset_engine_state();

std::vector<uint8_t> read_bytes(const std::string& path);
std::string read_text(const std::string& path);
void write_text(const std::string& path, const std::string& text);
void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);

struct CommandResult {
    int exit_status = -1;  // as the shell sees it (0..255), or -1 when the command did not run
    std::string output;    // standard output and standard error together
};

// Runs a shell command and collects what it prints.
CommandResult run_command(const std::string& command);

} // namespace test
