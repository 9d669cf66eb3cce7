#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "signal/wav_synth.h"
#include "support/test_support.h"
#include "wave/wav_reader.h"

namespace {

class WavReader : public ::testing::Test {
protected:
    void SetUp() override { test::reset_engine_state(); }
    std::string write(const std::string& name, const synth::WavLayout& layout, std::span<const int16_t> samples)
    {
        std::string path = dir.file(name);
        EXPECT_TRUE(synth::write_wav(path, layout, samples));
        return path;
    }
    std::string write_bytes(const std::string& name, std::span<const uint8_t> bytes)
    {
        std::string path = dir.file(name);
        EXPECT_TRUE(synth::write_file(path, bytes));
        return path;
    }
    std::vector<int16_t> loaded(size_t count) const
    {
        return std::vector<int16_t>(wave_data.samples.begin(), wave_data.samples.begin() + static_cast<std::ptrdiff_t>(count));
    }
    test::TempDir dir;
};

// A minimal PCM file whose data chunk holds exactly the given bytes.
std::vector<uint8_t> pcm_file(int bits, int channels, uint32_t rate, std::vector<uint8_t> data)
{
    synth::WavLayout layout;
    layout.bits = bits;
    layout.channels = channels;
    layout.rate = static_cast<int32_t>(rate);
    std::vector<uint8_t> bytes = synth::wav_bytes(layout, {});
    bytes.insert(bytes.end(), data.begin(), data.end());
    uint32_t size = static_cast<uint32_t>(data.size());
    std::memcpy(&bytes[bytes.size() - data.size() - 4], &size, 4);
    return bytes;
}

TEST_F(WavReader, Mono16BitAt44100LoadsByteForByte)
{
    auto samples = synth::sine(440, 8000, 1000);
    EXPECT_EQ(read_wave(write("44100-1-16.wav", {}, samples).c_str()), 1000);
    EXPECT_EQ(loaded(1000), samples);
    EXPECT_EQ(wave_data.channels, 1);
    EXPECT_EQ(wave_data.sample_rate, 44100);
    EXPECT_EQ(wave_data.bits_per_sample, 16);
    EXPECT_STREQ(wave_data.wave_name, dir.file("44100-1-16.wav").c_str());
}

TEST_F(WavReader, StereoAtHalfRateDoublesTheFramesAndRepeatsTheLastOne)
{
    std::vector<int16_t> left(1000), right(1000);
    for (int i = 0; i < 1000; ++i) {
        left[static_cast<size_t>(i)] = static_cast<int16_t>(i * 10);
        right[static_cast<size_t>(i)] = static_cast<int16_t>(-i * 7);
    }
    synth::WavLayout layout;
    layout.channels = 2;
    layout.rate = 22050;
    ASSERT_EQ(read_wave(write("22050-2-16.wav", layout, synth::interleave(left, right)).c_str()), 2000);
    EXPECT_EQ(wave_data.channels, 2);
    const auto& s = wave_data.samples;
    EXPECT_EQ(s[2 * 0], 0);
    EXPECT_EQ(s[2 * 1], 5);        // halfway between 0 and 10
    EXPECT_EQ(s[2 * 1 + 1], -3);   // -3.5 truncated toward zero
    EXPECT_EQ(s[2 * 2], 10);
    EXPECT_EQ(s[2 * 1998], 9990);  // k0 = k1 at the end: frac 0
    EXPECT_EQ(s[2 * 1999], 9990);
    EXPECT_EQ(s[2 * 1999 + 1], -6993);
}

TEST_F(WavReader, EightBitDataIsUnsignedAndScaled)
{
    ASSERT_EQ(read_wave(write_bytes("44100-1-8.wav", pcm_file(8, 1, 44100, {128, 0, 255, 129})).c_str()), 4);
    EXPECT_EQ(loaded(4), (std::vector<int16_t>{0, -32768, 32512, 256}));
    EXPECT_EQ(wave_data.bits_per_sample, 8);
}

TEST_F(WavReader, TwentyFourBitDataIsDividedBy256TowardZero)
{
    std::vector<uint8_t> data = {0xFF, 0xFF, 0xFF,  0x00, 0xFF, 0xFF,  0xFF, 0xFF, 0x7F,  0x00, 0x00, 0x80,
                                 0x80, 0x01, 0x00};
    ASSERT_EQ(read_wave(write_bytes("44100-1-24.wav", pcm_file(24, 1, 44100, data)).c_str()), 5);
    EXPECT_EQ(loaded(5), (std::vector<int16_t>{0, -1, 32767, -32768, 1}));
    EXPECT_EQ(wave_data.bits_per_sample, 24);
}

TEST_F(WavReader, ListChunksAndLargerFormatChunksAreSkipped)
{
    auto samples = synth::sine(220, 5000, 300);
    synth::WavLayout layout;
    layout.list_before_fmt = true;
    layout.list_before_data = true;
    layout.extra_fmt_bytes = 2;
    ASSERT_EQ(read_wave(write("list.wav", layout, samples).c_str()), 300);
    EXPECT_EQ(loaded(300), samples);
}

TEST_F(WavReader, OddSizedChunkIsFollowedByItsPadByte)
{
    std::vector<uint8_t> bytes = pcm_file(16, 1, 44100, {1, 0, 2, 0});
    // Insert an odd-sized "junk" chunk with its pad byte before "fmt ".
    const uint8_t junk[] = {'j', 'u', 'n', 'k', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    bytes.insert(bytes.begin() + 12, std::begin(junk), std::end(junk));
    ASSERT_EQ(read_wave(write_bytes("pad.wav", bytes).c_str()), 2);
    EXPECT_EQ(loaded(2), (std::vector<int16_t>{1, 2}));
}

TEST_F(WavReader, TruncatedDataKeepsWhatIsThereAndPadsWithSilence)
{
    std::vector<uint8_t> bytes = pcm_file(8, 1, 44100, {200, 200, 200, 200});
    uint32_t claimed = 10;
    std::memcpy(&bytes[bytes.size() - 8], &claimed, 4);
    ASSERT_EQ(read_wave(write_bytes("short.wav", bytes).c_str()), 10);
    EXPECT_EQ(loaded(10), (std::vector<int16_t>{18432, 18432, 18432, 18432, 0, 0, 0, 0, 0, 0}));
}

TEST_F(WavReader, RejectedFilesChangeOnlyTheName)
{
    auto samples = synth::sine(440, 8000, 100);
    ASSERT_EQ(read_wave(write("good.wav", {}, samples).c_str()), 100);

    synth::WavLayout float_layout;
    float_layout.format_tag = 3;
    const std::vector<uint8_t> header_and_fmt = pcm_file(16, 1, 44100, {});
    const std::vector<uint8_t> no_data(header_and_fmt.begin(), header_and_fmt.end() - 8);
    std::vector<uint8_t> zero_align = pcm_file(16, 1, 44100, {0, 0});
    zero_align[32] = zero_align[33] = 0;
    std::vector<uint8_t> zero_rate = pcm_file(16, 1, 0, {0, 0});
    std::vector<uint8_t> zero_channels = pcm_file(16, 1, 44100, {0, 0});
    zero_channels[22] = 0;
    std::vector<uint8_t> huge = pcm_file(16, 1, 44100, {0, 0});
    std::memset(&huge[huge.size() - 6], 0xFF, 4);
    std::vector<uint8_t> slow_rate = pcm_file(16, 1, 1, std::vector<uint8_t>(200000, 0));
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        {"float.wav", synth::wav_bytes(float_layout, samples)},
        {"no-fmt.wav", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        {"no-data.wav", no_data},
        {"zero-align.wav", zero_align},
        {"zero-rate.wav", zero_rate},
        {"zero-channels.wav", zero_channels},
        {"huge.wav", huge},
        {"slow-rate.wav", slow_rate},
        {"empty.wav", {}},
    };
    for (const auto& [name, bytes] : cases) {
        EXPECT_EQ(read_wave(write_bytes(name, bytes).c_str()), -1) << name;
        EXPECT_EQ(wave_data.frame_count, 100) << name;
        EXPECT_EQ(loaded(100), samples) << name;
        EXPECT_STREQ(wave_data.wave_name, dir.file(name).c_str());
    }
}

TEST_F(WavReader, MissingFileChangesNothing)
{
    EXPECT_EQ(read_wave(dir.file("absent.wav").c_str()), -1);
    EXPECT_STREQ(wave_data.wave_name, "");
    EXPECT_EQ(wave_data.frame_count, 0);
}

TEST_F(WavReader, EmptyDataChunkGivesZeroFrames)
{
    EXPECT_EQ(read_wave(write_bytes("empty-data.wav", pcm_file(16, 1, 44100, {})).c_str()), 0);
    EXPECT_EQ(wave_data.frame_count, 0);
}

TEST_F(WavReader, CutAtEveryLengthOrFilledWithNoiseNeverFails)
{
    synth::WavLayout layout;
    layout.channels = 2;
    layout.rate = 32000;
    layout.bits = 24;
    layout.list_before_data = true;
    const std::vector<uint8_t> whole = synth::wav_bytes(layout, synth::sine(440, 8000, 40));
    const std::string path = dir.file("cut.wav");
    for (size_t n = 0; n <= whole.size(); ++n) {
        synth::write_file(path, std::span(whole.data(), n));
        int32_t result = read_wave(path.c_str());
        EXPECT_TRUE(result == -1 || result == wave_data.frame_count) << n;
        EXPECT_GE(wave_data.samples.size(), static_cast<size_t>(wave_data.frame_count) * static_cast<size_t>(wave_data.channels));
    }
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> noise(static_cast<size_t>(random() % 300));
        for (uint8_t& b : noise)
            b = static_cast<uint8_t>(random());
        if (round % 2 == 0 && noise.size() > 40)
            std::memcpy(noise.data(), whole.data(), 40);  // a plausible header over noise
        synth::write_file(path, noise);
        int32_t result = read_wave(path.c_str());
        EXPECT_TRUE(result == -1 || result == wave_data.frame_count);
        EXPECT_GE(wave_data.samples.size(), static_cast<size_t>(wave_data.frame_count) * static_cast<size_t>(wave_data.channels));
    }
}

TEST(Resample, ClampsAndInterpolatesPerChannel)
{
    const int16_t source[] = {32767, -32768, 32767, -32768};
    int16_t target[6];
    resample_linear(2, 2, source, 3, target);
    EXPECT_EQ(target[0], 32767);
    EXPECT_EQ(target[1], -32768);
    EXPECT_EQ(target[4], 32767);
    EXPECT_EQ(target[5], -32768);
    const int16_t ramp[] = {0, 100, 200};
    int16_t down[2];
    resample_linear(1, 3, ramp, 2, down);
    EXPECT_EQ(down[0], 0);
    EXPECT_EQ(down[1], 150);
}

TEST(MixToMono, AveragesTowardZeroAndLeavesOtherLayoutsAlone)
{
    test::reset_engine_state();
    wave_data.samples = {-3, 0, 5, 6, 32767, 32767};
    wave_data.frame_count = 3;
    wave_data.channels = 2;
    mix_to_mono();
    EXPECT_EQ(wave_data.channels, 1);
    EXPECT_EQ(wave_data.samples[0], -1);
    EXPECT_EQ(wave_data.samples[1], 5);
    EXPECT_EQ(wave_data.samples[2], 32767);
    EXPECT_EQ(wave_data.samples.size(), 6u);

    wave_data.samples = {1, 2, 3};
    wave_data.frame_count = 1;
    wave_data.channels = 3;
    mix_to_mono();
    EXPECT_EQ(wave_data.channels, 3);
    EXPECT_EQ(wave_data.samples, (std::vector<int16_t>{1, 2, 3}));
}

} // namespace
