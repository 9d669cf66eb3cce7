// The WAV reader on any bytes: it refuses the file or loads a consistent wave whose size
// follows what the file holds, and the mixdown stays inside what was loaded.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "wave/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::write_input("input.wav", data, size);
    const int32_t result = read_wave(path.c_str());
    fuzz::require(result == -1 || result == wave_data.frame_count, "the result is the frame count");
    fuzz::require(wave_data.samples.size() >=
                      static_cast<size_t>(wave_data.frame_count) * static_cast<size_t>(wave_data.channels),
                  "the samples hold every frame");
    if (result < 0)
        return 0;  // the previous wave stays
    // Every sample comes from at least one byte of the file, stretched at most 44.1 times
    // (1000 samples per second and more) to 44100 per second.
    fuzz::require(wave_data.samples.size() <= size * 45 + 1, "the wave grows only with the file");
    mix_to_mono();
    return 0;
}
