// Opening a file the usual ways (named on the command line, dropped on the window): which
// "読込" command reads it, the messages when it cannot be read, and the GUI's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "shell/file_dialog_rules.h"

// The kind a file name's extension (.wav, .txt or .mid, any case) asks for; nothing else.
std::optional<FileKind> document_kind(std::string_view path);

// The "読込" command that reads a file of the kind.
int32_t read_command_of(FileKind kind);

// The Japanese message texts (UTF-8) naming the file.
std::string unknown_kind_text(std::string_view path);
extern const char* const OPEN_FILE_CAPTION;
extern const char* const OPEN_WHILE_CONVERTING_TEXT;

enum class GuiAction { Run, Help, Version, Error };

struct GuiRequest {
    GuiAction action = GuiAction::Run;
    std::string file;   // empty: start with no document
    std::string error;  // for GuiAction::Error
};

// The arguments after the program name, once Qt has taken its own: --help and --version win;
// one FILE may follow (after "--" any name is a file). A second file or another option is
// an error.
GuiRequest parse_gui_arguments(std::span<const std::string> arguments);

// True when the raw command line asks for --help or --version (checked before a display is
// needed).
bool asks_help_or_version(int argc, char** argv);

void print_gui_help();
void print_gui_version();
