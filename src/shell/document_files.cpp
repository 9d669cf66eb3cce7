#include "shell/document_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/version.h"
#include "shell/commands.h"

const char* const OPEN_FILE_CAPTION = "Tonagram";
const char* const OPEN_WHILE_CONVERTING_TEXT =
    "変換中はファイルを開けません。変換が終わるのを待つか、[変換停止]を選んでから開いてください。";

namespace {

std::string lower_extension(std::string_view path)
{
    const size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    std::string extension(name.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

} // namespace

std::optional<FileKind> document_kind(std::string_view path)
{
    const std::string extension = lower_extension(path);
    if (extension == ".wav")
        return FileKind::Wave;
    if (extension == ".txt")
        return FileKind::Text;
    if (extension == ".mid")
        return FileKind::Smf;
    return std::nullopt;
}

int32_t read_command_of(FileKind kind)
{
    switch (kind) {
    case FileKind::Wave:
        return CMD_READ_WAVE;
    case FileKind::Text:
        return CMD_READ_TEXT;
    case FileKind::Smf:
        return CMD_READ_SMF;
    }
    return CMD_READ_WAVE;
}

std::string unknown_kind_text(std::string_view path)
{
    return "ファイル「" + std::string(path) +
           "」は開けません。WAVファイル（.wav）、TXT形式MIDIファイル（.txt）、SMF形式MIDIファイル（.mid）を指定してください。";
}

GuiRequest parse_gui_arguments(std::span<const std::string> arguments)
{
    GuiRequest request;
    bool only_files = false;
    bool help = false;
    bool version = false;
    for (const std::string& argument : arguments) {
        if (!only_files && argument == "--")
            only_files = true;
        else if (!only_files && argument == "--help")
            help = true;
        else if (!only_files && argument == "--version")
            version = true;
        else if (!only_files && argument.size() > 1 && argument[0] == '-')
            request.error = request.error.empty() ? "unrecognized option '" + argument + "'" : request.error;
        else if (request.file.empty())
            request.file = argument;
        else if (request.error.empty())
            request.error = "only one file can be opened: '" + argument + "'";
    }
    if (help)
        request.action = GuiAction::Help;
    else if (version)
        request.action = GuiAction::Version;
    else if (!request.error.empty())
        request.action = GuiAction::Error;
    return request;
}

bool asks_help_or_version(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            return false;
        if (argument == "--help" || argument == "--version")
            return true;
    }
    return false;
}

void print_gui_help()
{
    std::fputs(
        "Usage: Tonagram [FILE]\n"
        "  or:  Tonagram --render INPUT OUTPUT.png [--size WxH]\n"
        "Open the window of the WAV-to-MIDI converter. A FILE ending in .wav, .txt or .mid is\n"
        "opened as the matching read command of the File menu would open it; a file dropped on\n"
        "the window is opened the same way.\n"
        "\n"
        "  --render INPUT OUTPUT.png  draw the view of INPUT (.wav, .txt or .mid) offscreen into\n"
        "                             a PNG and print its status line; no window opens\n"
        "  --size WxH                 the PNG's size in pixels (default 800x600)\n"
        "  --                         the next argument is the FILE, even if it starts with \"-\"\n"
        "  --help                     display this help and exit\n"
        "  --version                  output version information and exit\n"
        "\n"
        "Qt's own options (-platform, -style, ...) are accepted too. Conversions from the\n"
        "command line: see Tonagram_batch --help.\n",
        stdout);
}

void print_gui_version()
{
    std::printf("Tonagram %s\n", TONAGRAM_VERSION);
}
