// Small file helpers shared by the readers and writers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// An open C file that closes itself.
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// fopen with ownership; empty when the file cannot be opened.
FileHandle open_file(const char* path, const char* mode);

// Why a file could not be read.
enum class FileReadProblem { None, CannotOpen, NotRegularFile, TooLarge, ReadFailed };

// Largest file read whole. The whole-file reads serve the MIDI file readers: a file this
// large spells hundreds of millions of events, far more than an event list of a
// conversion or any list the program can hold in memory beside the file itself.
inline constexpr int64_t WHOLE_FILE_READ_LIMIT = int64_t{1} << 30;

// Opens path for reading when it is a regular file (through symbolic links), without ever
// waiting: a FIFO, a device or a directory is refused before any byte is read. Empty, with
// the reason in problem, otherwise.
FileHandle open_regular_file(const char* path, FileReadProblem* problem = nullptr);

// The whole content of a regular file of at most WHOLE_FILE_READ_LIMIT bytes, or nothing,
// with the reason in last_file_read_problem(), when it cannot be read.
std::optional<std::vector<uint8_t>> read_file_bytes(const char* path);
std::optional<std::string> read_file_text(const char* path);

// The reason the last read_file_bytes or read_file_text of this thread failed (None after
// one that succeeded).
FileReadProblem last_file_read_problem();

// The reason as a short English phrase ("it is not a regular file"); empty for None.
const char* file_read_problem_text(FileReadProblem problem);

// Passes what was written to file so far to the system and asks it to start writing that
// to the disk, without waiting for it, so that a later fsync (ReplacingFile::commit) finds
// little left to do. A failed write stays recorded in the file for its owner to see; where
// the system has no such request, or the file is no regular one, only the passing is done.
void start_writing_back(std::FILE* file);

// A file written so that its destination is only ever replaced by a complete file: the
// content goes to a new temporary file in the destination's directory, which commit()
// renames over the destination once everything was written. A write that fails or never
// commits (an error, an exception, a stop) leaves the previous file byte for byte and
// removes the temporary file. The replacement keeps the previous file's permissions and
// goes through a symbolic link to its target; a destination that is no regular file (a
// device such as /dev/null, a pipe) is written directly. A destination the user may not
// write is refused, even where the directory would allow the rename. A SIGINT or SIGTERM
// removes the temporary file where remove_temporary_files_on_signals was installed.
class ReplacingFile {
public:
    explicit ReplacingFile(const char* destination);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // The open temporary file; null when it could not be created (then commit() fails).
    std::FILE* get() const { return file_.get(); }
    explicit operator bool() const { return static_cast<bool>(file_); }

    // Flushes the content to the disk and puts it in place. False, with the destination
    // untouched and the temporary file removed, when any write or the rename failed.
    bool commit();

private:
    void discard();

    std::string destination_;
    std::string temporary_;  // empty when the destination is written directly
    int signal_slot_ = -1;   // the temporary file's entry among those a signal removes
    FileHandle file_;
};
