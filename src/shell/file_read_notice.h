// What the GUI tells the user when a MIDI file is refused before it is read.
#pragma once

#include <string>

#include "core/file_io.h"

// The Japanese notice naming path and the reason (UTF-8); empty for a problem the readers'
// results already show (None, or a file that merely cannot be opened).
std::string file_read_notice(const char* path, FileReadProblem problem);
