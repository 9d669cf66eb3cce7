// A re-conversion from any analysis file: counting its records, note extraction (or the
// clean transcription, with the input's bytes as its recording), event building, the rate
// limit and the polyphony count, as the driver runs them.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "conversion/conversion_driver.h"
#include "core/settings.h"
#include "core/status.h"
#include "fuzz_support.h"
#include "midi/midi_event_list.h"
#include "wave/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::reset_engine();
    fuzz::write_input("input.fft", data, size);
    const std::string wave_path = fuzz::scratch_path("input.wav");
    fuzz::require(set_current_path(wave_path.c_str()), "the scratch path fits");
    conversion_status.reconvert = 1;
    // Odd sizes also run the scale snapping of note extraction.
    conversion_settings.SCALE_FILTER = static_cast<int32_t>(size & 1);
    // Every other pair of sizes runs the clean transcription instead, over samples made of
    // the input itself so that its attacks are looked for in the recording too.
    conversion_settings.CLEAN_MODE = static_cast<int32_t>((size >> 1) & 1);
    if (conversion_settings.CLEAN_MODE == 1) {
        wave_data.samples.resize(size / 2);
        std::memcpy(wave_data.samples.data(), data, wave_data.samples.size() * sizeof(int16_t));
        wave_data.frame_count = static_cast<int32_t>(wave_data.samples.size());
        wave_data.channels = 1;
    }
    const int32_t events = run_conversion();
    fuzz::require(events >= 0 && events <= static_cast<int32_t>(midi_event_list.events.size()),
                  "the event count fits the list");
    return 0;
}
