// What the GUI tells the user when a file cannot be read or saved, or the manual cannot be
// opened: a Japanese caption and a text that names the file and the reason. The reason is
// found from the file system, the error the system reported, and what the reader or writer
// said, so it fits any failure of any reader or writer.
#pragma once

#include <string>
#include <string_view>

#include "shell/file_dialog_rules.h"

struct FailureMessage {
    std::string caption;  // UTF-8
    std::string text;
};

// Why a read of path as kind failed. The file system is asked first (missing, a folder,
// no regular file, not readable, empty); then reader_message, a message the reader showed
// while it ran (empty when none), in Japanese; else what the content lacked: no_data is
// true when the file was read but holds no sound or no event, false when its form was
// refused.
std::string read_failure_reason(FileKind kind, const std::string& path, bool no_data,
                                std::string_view reader_message);

// Why a save to path failed: list_empty when there was nothing to write, smf_problem true
// when the SMF cannot hold the time resolution time_unit; else the file system (no such
// folder, a folder of that name, not writable) and the system's error_number (a full disk,
// a read-only medium, ...).
std::string save_failure_reason(const std::string& path, bool list_empty, bool smf_problem,
                                int time_unit, int error_number);

FailureMessage read_failure_message(FileKind kind, const std::string& path, const std::string& reason);
FailureMessage save_failure_message(FileKind kind, const std::string& path, const std::string& reason);

// The manual at path could not be opened: missing is true when the file does not exist.
FailureMessage manual_failure_message(const std::string& path, bool missing);
