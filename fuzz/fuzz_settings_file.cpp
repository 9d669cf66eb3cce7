// The settings-file loader on any text, and saving over that same file: whatever the
// document holds, what was loaded is saved so that loading it again gives the same values.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/settings.h"
#include "fuzz_support.h"

namespace {

bool same_settings(const ConversionSettings& c, const MidiOutputSettings& m)
{
    return std::memcmp(&c, &conversion_settings, sizeof c) == 0 &&
           std::memcmp(&m, &midi_output_settings, sizeof m) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::reset_engine();
    const std::string path = fuzz::write_input("Tonagram.ini", data, size);
    load_settings_from(path);
    const ConversionSettings loaded = conversion_settings;
    const MidiOutputSettings loaded_midi = midi_output_settings;
    save_settings_to(path);
    reset_settings();
    load_settings_from(path);
    // Loaded values have at most 7 characters, so their saved text is read back whole.
    fuzz::require(same_settings(loaded, loaded_midi), "saving what was loaded keeps every value");
    return 0;
}
