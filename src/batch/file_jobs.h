// Converting several WAV files from one command line. The conversion stages keep their data
// in program-wide records (the wave, the analysis, the event list, the settings), so one
// process converts one file: each file is converted by a child process of this program run
// on that file alone, and -j N keeps N of them running. Each child still uses every core.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How a child's file went: 0 converted, else its exit status (or 128 + the signal that
// ended it).
struct FileOutcome {
    std::string file;
    int status = 0;
};

// The argument list of the child that converts file with options: the file first (as
// "./NAME" when it would read as a program option), then the options.
std::vector<std::string> child_arguments(const std::string& program, const std::string& file,
                                         const std::vector<std::string>& options);

// A key shared by two names whose conversions would write the same output or analysis
// files: the real folder and the name up to its first ".".
std::string output_key(const std::string& file);

// Converts each file in turn (jobs 1, the children's output goes straight through) or up
// to jobs at a time (each child's output is held and printed whole when it ends, so lines
// never interleave); two files with the same output key never run at once. Prints one line
// per file and returns the outcomes in the order the files ended.
std::vector<FileOutcome> convert_files(const std::string& program, const std::vector<std::string>& files,
                                       const std::vector<std::string>& options, int32_t jobs);
