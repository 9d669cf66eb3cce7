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
