// Whole conversions must not depend on how the analysis is computed: every kernel set, the
// kernels written straight from their definitions (the oracle of the fast ones), and any
// number of workers write byte for byte the same analysis, text MIDI and Standard MIDI
// files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "analysis/correlation_kernels.h"
#include "analysis/reference_kernels.h"
#include "conversion/conversion_driver.h"
#include "core/settings.h"
#include "core/status.h"
#include "core/worker_pool.h"
#include "midi/smf_writer.h"
#include "midi/text_midi_writer.h"
#include "signal/wav_synth.h"
#include "support/test_support.h"
#include "wave/wav_reader.h"

namespace {

struct Output {
    std::vector<uint8_t> fft, txt, mid;
    bool operator==(const Output&) const = default;
};

struct Mode {
    const CorrelationKernels* kernels;
    int32_t workers;
};

Output convert(const std::vector<int16_t>& samples, const std::function<void()>& settings, const Mode& mode)
{
    test::reset_engine_state();
    test::TempDir dir;
    const std::string wav = dir.file("take.wav");
    EXPECT_TRUE(synth::write_wav(wav, {}, samples));
    EXPECT_GT(read_wave(wav.c_str()), 0);
    set_current_path(wav.c_str());
    settings();
    use_correlation_kernels(mode.kernels);
    worker_count_override = mode.workers;
    run_conversion();
    use_correlation_kernels(nullptr);
    worker_count_override = 0;
    write_text_midi(dir.file("take.txt").c_str());
    write_smf(dir.file("take.mid").c_str());
    return {test::read_bytes(dir.file("take.fft")), test::read_bytes(dir.file("take.txt")),
            test::read_bytes(dir.file("take.mid"))};
}

TEST(KernelModes, EverySetAndWorkerCountWritesWhatThePlainKernelsWrite)
{
    struct Case {
        const char* name;
        int32_t gain;
        std::function<void()> settings;
    } cases[] = {
        {"defaults, fewer notes", 1, [] { conversion_settings.KEY_MIN = 36; conversion_settings.KEY_MAX = 84; }},
        {"clipped, both corrections", 8, [] {
             conversion_settings.KEY_MIN = 30;
             conversion_settings.KEY_MAX = 70;
             conversion_settings.FUNDAMENTAL_CORRECT = 1;
             conversion_settings.OVERTONE_CORRECT = 1;
             conversion_settings.FINE_NOTE = 1;
         }},
        {"short frame and windows", 1, [] {
             conversion_settings.FFT_SIZE = 1024;
             conversion_settings.MAX_ANAL_CYCLE = 1;
             conversion_settings.VARY_RATE = 0;
         }},
    };
    for (const Case& c : cases) {
        std::vector<int16_t> samples = synth::polyphonic_passage(22050, 3);
        for (int16_t& s : samples)
            s = static_cast<int16_t>(std::clamp(s * c.gain, -32768, 32767));
        const Output plain = convert(samples, c.settings, {&reference::plain_kernels, 1});
        ASSERT_FALSE(plain.txt.empty()) << c.name;
        // Every set with two workers; the one in use also alone and with three.
        std::vector<Mode> modes = {{&correlation_kernels(), 1}, {&correlation_kernels(), 3}};
        for (const CorrelationKernels* k : available_correlation_kernels())
            modes.push_back({k, 2});
        for (const Mode& m : modes) {
            EXPECT_TRUE(convert(samples, c.settings, m) == plain)
                << c.name << ": " << m.kernels->name << " with " << m.workers << " workers";
        }
    }
}

} // namespace
