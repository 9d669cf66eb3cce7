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

// The whole content of a regular file, or nothing when it cannot be read (a directory
// counts as unreadable).
std::optional<std::vector<uint8_t>> read_file_bytes(const char* path);
std::optional<std::string> read_file_text(const char* path);

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
// write is refused, even where the directory would allow the rename.
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
    FileHandle file_;
};
