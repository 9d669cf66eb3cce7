// The file dialogs' rules over current_path: the three file kinds, the extension a save
// dialog proposes, and the check of a chosen path against the path buffer.
#pragma once

#include <cstdint>
#include <string_view>

enum class FileKind : int32_t { Wave = 0, Text = 1, Smf = 2 };

struct FileKindInfo {
    const char* description;  // the one filter entry, e.g. "WAV files {*.wav}"
    const char* pattern;      // "*.wav"
    const char* extension;    // default extension, lower case, without the dot
};

const FileKindInfo& file_kind_info(FileKind kind);

// Before a save dialog: the three characters after the last "." of current_path become
// the kind's extension (so song.wav proposes song.txt and x.wave x.txte). The buffer keeps
// the change even when the dialog is then cancelled. A path without "." stays as it is.
void propose_save_extension(FileKind kind);

// After a dialog: stores the chosen path (UTF-8) in current_path and returns true, or
// refuses a path that does not fit the buffer (more than PATH_CAPACITY - 1 = 4095 bytes, the
// system's own limit; a Japanese character takes 3) with a message and returns false, leaving current_path as it was.
bool store_chosen_path(std::string_view path);

extern const char* const PATH_TOO_LONG_CAPTION;
extern const char* const PATH_TOO_LONG_TEXT;
