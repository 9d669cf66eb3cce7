#include "batch/command_line.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "core/saturate.h"
#include "core/settings.h"
#include "core/status.h"
#include "core/version.h"

std::optional<int32_t> option_value(const char* option)
{
    if (std::strlen(option) < 3)
        return std::nullopt;
    const char* text = option + 2;
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    const char* digits = (*text == '+' || *text == '-') ? text + 1 : text;
    if (!std::isdigit(static_cast<unsigned char>(*digits)))
        return std::nullopt;
    errno = 0;
    long long v = std::strtoll(text, nullptr, 10);
    return saturate_int32(v);
}

namespace {

void apply_microtonal_option(int32_t value)
{
    if (value == 1) {
        conversion_settings.FINE_NOTE = 1;
        apply_microtonal_preset();
        conversion_settings.VARY_RATE = 500;
        conversion_settings.FLT_CONNECT = 0;
    } else {
        conversion_settings.FINE_NOTE = 0;
    }
}

} // namespace

void print_banner()
{
    std::printf("Tonagram_batch version %s: converts a WAV audio file into MIDI files\n", TONAGRAM_VERSION);
}

void print_usage()
{
    std::printf("Usages: Tonagram_batch.exe filename[.wav] [options]\n");
    std::printf("   filename: Specify WAV-format nocompresed audio file\n");
    std::printf("             (Created MIDI-format file: filename.txt/mid)\n");
    std::printf("[Option Parameters]\n");
    std::printf("  f:0/1/2, Output File Format 0:TXT, 1:SMF, 2:TXT and SMF [default]\n");
    std::printf("  o:0/1, Overtone Removal 0:Off [default], 1:On\n");
    std::printf("  m:0/1, Microtonal Analaysis 0:Off [default], 1:On\n");
    std::printf("  w:256-8192, Analysis Frame Size  [default:4096]\n");
    std::printf("  t:1-1536 Time Resolution Per Second  [default:1536]\n");
    std::printf("  b:1-90000 Output Bit-rate [bps]  [default:9000]\n");
    std::printf("  h:1--64, Number of Harmony [default:32]\n");
}

void print_help()
{
    std::fputs(
        "Usage: Tonagram_batch FILE[.wav]... [OPTION]...\n"
        "Convert each WAV file (uncompressed PCM) into MIDI files beside it: FILE.txt (text MIDI)\n"
        "and FILE.mid (Standard MIDI File); the frequency analysis stays in FILE.fft.\n"
        "A FILE without an extension gets \".wav\" appended.\n"
        "\n"
        "Conversion options: a letter, one separator character and a whole number; they override\n"
        "the settings file, and a later one overrides an earlier one.\n"
        "  f:0/1/2      output files: 0 text MIDI only, 1 SMF only, 2 both (default)\n"
        "  o:0/1        overtone removal (off by default)\n"
        "  m:0/1        microtonal analysis (off by default)\n"
        "  w:256-8192   analysis frame size (default 4096)\n"
        "  t:1-1536     time resolution per second (default 1536)\n"
        "  b:1-90000    output bit rate in bits per second (default 9000; 0 turns the limit off)\n"
        "  h:1-64       number of harmonics (default 32)\n"
        "  c:0/1        clean transcription (off by default)\n"
        "\n"
        "Program options:\n"
        "  -j N, --jobs=N  convert N files at a time (default 1), each in a process of its own\n"
        "  --              every later argument is a file name\n"
        "  --help          display this help and exit\n"
        "  --version       output version information and exit\n"
        "\n"
        "The first argument that is not a program option is a file name. A later argument is a\n"
        "conversion option when it holds no \".\" or \"/\", starts with a letter, and is at most\n"
        "two characters long, has \":\" or \"=\" second, or holds a number from its third\n"
        "character on; anything else is a file name (write ./NAME for a file named like an\n"
        "option). With several files each is converted exactly as a run on it alone would\n"
        "convert it, and one line per file tells how it went.\n"
        "\n"
        "Exit status: 0 when every file was converted, 255 when a file could not be read or\n"
        "written, or the arguments are wrong.\n",
        stdout);
}

void print_version()
{
    std::printf("Tonagram_batch %s\n", TONAGRAM_VERSION);
}

void complete_wave_name()
{
    char* name = conversion_status.current_path;
    const size_t length = strnlen(name, PATH_CAPACITY - 1);
    bool has_extension = length >= 4 && name[length - 4] == '.';
    bool third_last_w = length >= 3 && (name[length - 3] == 'w' || name[length - 3] == 'W');
    if (has_extension || third_last_w)
        return;
    if (length + 4 < PATH_CAPACITY)
        std::memcpy(name + length, ".wav", 5);
}

int32_t apply_batch_options(std::span<const char* const> options)
{
    int32_t format = OUTPUT_TEXT_AND_SMF;
    ConversionSettings& s = conversion_settings;
    for (const char* option : options) {
        std::optional<int32_t> value = option_value(option);
        if (!value)
            continue;
        const int32_t v = *value;
        switch (option[0]) {
        case 'f':
            format = v;
            std::printf("Output File Format:%d\n", v);
            break;
        case 'o':
            s.OVERTONE_CORRECT = v == 1 ? 1 : 0;
            std::printf("Overtone Removal:%d\n", v);
            break;
        case 'm':
            apply_microtonal_option(v);
            std::printf("Microtonal Analaysis:%d\n", v);
            break;
        case 'w':
            s.FFT_SIZE = v;
            std::printf("Analysis Frame Width:%d\n", v);
            break;
        case 't':
            s.TIME_UNIT = v;
            std::printf("Time Resolution Per Second:%d\n", v);
            break;
        case 'b':
            s.BIT_RATE = v;
            std::printf("Output Bit-rate:%d\n", v);
            break;
        case 'h':
            s.MAX_HARMONY = v;
            std::printf("Number of Harmony:%d\n", v);
            break;
        case 'c':
            s.CLEAN_MODE = v == 1 ? 1 : 0;
            std::printf("Clean Transcription:%d\n", v);
            break;
        default:
            break;
        }
    }
    return format;
}
