#include "batch/batch_run.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "batch/arguments.h"
#include "batch/command_line.h"
#include "batch/file_jobs.h"
#include "conversion/conversion_driver.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/status.h"
#include "core/temporary_files.h"
#include "midi/midi_event_list.h"
#include "midi/smf_writer.h"
#include "midi/text_midi_writer.h"
#include "wave/wav_reader.h"

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = -1;

// Engine messages go to standard error as one line.
void print_message(const char* caption, const char* text)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

// The whole argument is the file name, blanks included, as the system passes it.
bool take_wave_name(const std::string& argument)
{
    if (!set_current_path(argument.c_str())) {
        std::printf("File name too long: at most %d bytes are supported.\n", PATH_CAPACITY - 1);
        return false;
    }
    complete_wave_name();
    return true;
}

void print_wave_format()
{
    midi_event_list.duration_ms =
        static_cast<uint32_t>(static_cast<int32_t>(wave_data.frame_count * 1000.0 / wave_data.sample_rate));
    std::printf(" sampling:%d bit:%d channel:%d length[msec]:%d\n", wave_data.sample_rate,
                wave_data.bits_per_sample, wave_data.channels, static_cast<int32_t>(midi_event_list.duration_ms));
}

// Position of the "." that starts a three-character extension at the end of the file name,
// or -1. A dot in a directory name never counts, so outputs stay beside the input.
int output_extension_dot(const char* name)
{
    const size_t length = strnlen(name, PATH_CAPACITY - 1);
    if (length < 4 || name[length - 4] != '.' || length == 4)
        return -1;
    for (size_t i = length - 3; i < length; ++i) {
        if (name[i] == '/')
            return -1;
    }
    return static_cast<int>(length - 4);
}

// Writes one output beside the input with the given extension. Returns false on failure.
bool write_output(const char* extension, int32_t (*writer)(const char*), const char* success)
{
    char* name = conversion_status.current_path;
    const int dot = output_extension_dot(name);
    char input_extension[4];
    std::memcpy(input_extension, name + dot + 1, 4);
    std::memcpy(name + dot + 1, extension, 3);
    if (std::strcmp(input_extension, extension) == 0) {
        std::printf("Output file %s would replace the input file: nothing written.\n", name);
        return false;
    }
    if (writer(name) <= 0) {
        std::printf("Output File Creation ERROR\n");
        return false;
    }
    std::printf("%s", success);
    return true;
}

// The run on one file, in this process.
int convert_one(const std::string& file, const std::vector<std::string>& option_texts)
{
    print_banner();
    if (!take_wave_name(file))
        return EXIT_FAILED;
    if (read_wave(conversion_status.current_path) <= 0) {
        std::printf("Wave file:%s reading Error!!\n", conversion_status.current_path);
        return EXIT_FAILED;
    }
    std::printf("Wave file:%s reading successfully.\n", conversion_status.current_path);
    print_wave_format();

    conversion_status.console_mode = 1;
    message_hook = print_message;
    // A problem the engine reports from here on (an analysis file it could not write, a
    // buffer overflow) makes a run that produces nothing a failure.
    const uint32_t messages_before = shown_message_count.load();
    load_settings();
    std::vector<const char*> options;
    for (const std::string& option : option_texts)
        options.push_back(option.c_str());
    const int32_t format = apply_batch_options(options);
    // Refused before anything is written, also what only the SMF writer could not hold.
    const char* refused = refused_conversion_setting();
    if (!refused && format > OUTPUT_TEXT_ONLY)
        refused = smf_settings_problem();
    if (refused) {
        std::printf("Conversion refused: %s\n", refused);
        return EXIT_FAILED;
    }

    // Ctrl-C during the analysis must not leave its temporary file behind.
    remove_temporary_files_on_signals();
    std::printf("Now MIDI Conversion Start !\n");
    std::fflush(stdout);
    int32_t events = 0;
    try {
        events = run_conversion();
    } catch (const std::bad_alloc&) {
        // Caught, not left to end the program: unwinding removes the temporary files.
        std::printf("\nNot enough memory for the conversion: nothing written.\n");
        return EXIT_FAILED;
    } catch (const std::exception& failure) {
        std::printf("\nThe conversion failed (%s): nothing written.\n", failure.what());
        return EXIT_FAILED;
    }
    std::printf("\nMIDI Event Data:%d are created.\n", events);
    if (events <= 0 && shown_message_count.load() != messages_before)
        return EXIT_FAILED;
    if (events <= 0 || output_extension_dot(conversion_status.current_path) < 0)
        return EXIT_OK;

    if (format != OUTPUT_SMF_ONLY) {
        if (!write_output("txt", write_text_midi, "TXT MIDI file is successfully created.\n"))
            return EXIT_FAILED;
        if (format <= OUTPUT_TEXT_ONLY)
            return EXIT_OK;
    }
    if (!write_output("mid", write_smf, "SMF MIDI file is successfully created.\n"))
        return EXIT_FAILED;
    return EXIT_OK;
}

} // namespace

int batch_main(int argc, const char* const* argv)
{
    const BatchRequest request =
        parse_batch_arguments(std::span<const char* const>(argv, static_cast<size_t>(argc)).subspan(argc > 0 ? 1 : 0));
    switch (request.action) {
    case BatchAction::Usage:
        print_banner();
        print_usage();
        return EXIT_FAILED;
    case BatchAction::Help:
        print_help();
        return EXIT_OK;
    case BatchAction::Version:
        print_version();
        return EXIT_OK;
    case BatchAction::Error:
        std::fprintf(stderr, "Tonagram_batch: %s\nTry 'Tonagram_batch --help' for more information.\n",
                     request.error.c_str());
        return EXIT_FAILED;
    case BatchAction::Convert:
        break;
    }
    if (request.files.size() == 1)
        return convert_one(request.files.front(), request.options);
    const std::string program = argc > 0 ? argv[0] : "Tonagram_batch";
    const std::vector<FileOutcome> outcomes = convert_files(program, request.files, request.options, request.jobs);
    const auto converted = std::count_if(outcomes.begin(), outcomes.end(), [](const FileOutcome& o) { return o.status == 0; });
    std::printf("%d of %d files converted.\n", static_cast<int>(converted), static_cast<int>(request.files.size()));
    return converted == static_cast<std::ptrdiff_t>(request.files.size()) ? EXIT_OK : EXIT_FAILED;
}
