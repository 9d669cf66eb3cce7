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

namespace {

// The value of an option: a decimal integer from its third character on, as %d would read
// it (leading blanks, a sign); out-of-range values saturate. Nothing when there is none.
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
    std::printf("Tonagram_batch version 6.53: converts a WAV audio file into MIDI files\n");
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

void complete_wave_name()
{
    char* name = conversion_status.current_path;
    const size_t length = strnlen(name, PATH_CAPACITY - 1);
    bool has_extension = length >= 4 && name[length - 4] == '.';
    bool third_last_w = length >= 3 && (name[length - 3] == 'w' || name[length - 3] == 'W');
    if (has_extension || third_last_w)
        return;
    if (length + 4 < PATH_CAPACITY - 1)
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
