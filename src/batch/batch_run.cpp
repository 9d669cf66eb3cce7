#include "batch/batch_run.h"

#include <cstdio>
#include <cstring>
#include <span>

#include "batch/command_line.h"
#include "core/settings.h"
#include "core/status.h"
#include "midi/midi_event_list.h"
#include "wave/wav_reader.h"

namespace {

// The file name is the first blank-delimited word of the first argument.
bool take_wave_name(const char* argument)
{
    const size_t word = std::strcspn(argument, " \t");
    if (word >= PATH_CAPACITY - 1) {
        std::printf("File name too long: at most %d characters are supported.\n", PATH_CAPACITY - 2);
        return false;
    }
    std::memset(conversion_status.current_path, 0, PATH_CAPACITY);
    std::memcpy(conversion_status.current_path, argument, word);
    complete_wave_name();
    return true;
}

} // namespace

int batch_main(int argc, const char* const* argv)
{
    print_banner();
    if (argc < 2) {
        print_usage();
        return -1;
    }
    if (!take_wave_name(argv[1]))
        return -1;
    const char* name = conversion_status.current_path;
    if (read_wave(name) <= 0) {
        std::printf("Wave file:%s reading Error!!\n", name);
        return -1;
    }
    std::printf("Wave file:%s reading successfully.\n", name);
    midi_event_list.duration_ms =
        static_cast<uint32_t>(static_cast<int32_t>(wave_data.frame_count * 1000.0 / wave_data.sample_rate));
    std::printf(" sampling:%d bit:%d channel:%d length[msec]:%d\n", wave_data.sample_rate,
                wave_data.bits_per_sample, wave_data.channels, static_cast<int32_t>(midi_event_list.duration_ms));

    conversion_status.console_mode = 1;
    load_settings();
    apply_batch_options(std::span<const char* const>(argv + 2, static_cast<size_t>(argc - 2)));
    return 0;
}
