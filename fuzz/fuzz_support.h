// What the fuzz targets share: scratch files for the readers, which take paths, and the
// program-wide records put back to their start values before every input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// A file in this process's scratch directory (in /dev/shm where there is one, so rewriting
// it for every input costs no disk work). The directory is removed at exit.
std::string scratch_path(const char* name);

// Writes the input to scratch_path(name) and returns that path.
std::string write_input(const char* name, const uint8_t* data, size_t size);

// Puts every record the targets touch back to its start values and silences the engine's
// messages.
void reset_engine();

// Ends the run as a finding when a promise of the code under test does not hold.
void require(bool condition, const char* promise);

} // namespace fuzz
