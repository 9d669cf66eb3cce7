#include <gtest/gtest.h>

#include "signal/wav_synth.h"
#include "support/test_support.h"
#include "wave/wav_reader.h"

TEST(WavReader, Mono16BitAt44100LoadsByteForByte)
{
    test::reset_engine_state();
    test::TempDir dir;
    auto samples = synth::sine(440, 8000, 1000);
    ASSERT_TRUE(synth::write_wav(dir.file("44100-1-16.wav"), {}, samples));
    EXPECT_EQ(read_wave(dir.file("44100-1-16.wav").c_str()), 1000);
    EXPECT_EQ(std::vector<int16_t>(wave_data.samples.begin(), wave_data.samples.begin() + 1000), samples);
}
