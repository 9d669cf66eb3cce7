#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
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

// bytes with the 16-bit field at offset replaced (20 format tag, 32 block alignment, 34 bits).
std::vector<uint8_t> patched(std::vector<uint8_t> bytes, size_t offset, uint16_t value)
{
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
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

TEST_F(WavReader, ResamplingWhileReadingMatchesResamplingTheWholeSource)
{
    std::mt19937 random(3);
    const struct {
        int32_t channels, rate, frames;
    } cases[] = {{1, 22050, 70001}, {2, 48000, 90000}, {3, 96000, 50000}, {2, 768000, 200000}, {1, 1000, 3000}};
    for (const auto& c : cases) {
        std::vector<int16_t> source(static_cast<size_t>(c.channels * c.frames));
        for (int16_t& v : source)
            v = static_cast<int16_t>(random());
        synth::WavLayout layout;
        layout.channels = c.channels;
        layout.rate = c.rate;
        const int32_t target_frames = static_cast<int32_t>(c.frames * 44100.0 / c.rate);
        std::vector<int16_t> expected(static_cast<size_t>(c.channels * target_frames));
        resample_linear(c.channels, c.frames, source.data(), target_frames, expected.data());
        ASSERT_EQ(read_wave(write("resampled.wav", layout, source).c_str()), target_frames) << c.rate;
        EXPECT_TRUE(wave_data.samples == expected) << c.rate;
    }
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

TEST_F(WavReader, EveryAcceptedEncodingGivesTheSameSamples)
{
    std::vector<int16_t> samples = synth::sine(440, 32767, 300);
    samples[0] = -32768;
    samples[1] = 1;
    samples[2] = -1;
    struct Encoding {
        const char* name;
        int32_t bits;
        uint16_t tag;
        bool extensible;
    } encodings[] = {{"pcm16", 16, 1, false}, {"pcm24", 24, 1, false}, {"pcm32", 32, 1, false},
                     {"float32", 32, 3, false}, {"ext-pcm16", 16, 1, true}, {"ext-pcm24", 24, 1, true},
                     {"ext-pcm32", 32, 1, true}, {"ext-float32", 32, 3, true}};
    for (const Encoding& e : encodings) {
        synth::WavLayout layout;
        layout.bits = e.bits;
        layout.format_tag = e.tag;
        layout.extensible = e.extensible;
        ASSERT_EQ(read_wave(write(std::string(e.name) + ".wav", layout, samples).c_str()), 300) << e.name;
        EXPECT_EQ(loaded(300), samples) << e.name;
        EXPECT_EQ(wave_data.bits_per_sample, e.bits) << e.name;
    }
}

TEST_F(WavReader, ThirtyTwoBitSamplesKeepTheirUpperSixteenBitsTowardZero)
{
    const int32_t integers[] = {-1, -65535, -65536, -65537, 65535, 65536, INT32_MAX, INT32_MIN};
    std::vector<uint8_t> data;
    for (int32_t v : integers) {
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    }
    ASSERT_EQ(read_wave(write_bytes("pcm32.wav", pcm_file(32, 1, 44100, data)).c_str()), 8);
    EXPECT_EQ(loaded(8), (std::vector<int16_t>{0, 0, -1, -1, 0, 1, 32767, -32768}));
    EXPECT_EQ(wave_data.bits_per_sample, 32);

    const float floats[] = {0.5f, -1.0f, 1.0f, 2.0f, -0.99999f, -1e-9f, NAN, -INFINITY, 3.0517578e-5f};
    data.clear();
    for (float f : floats) {
        uint32_t raw;
        std::memcpy(&raw, &f, 4);
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<uint8_t>(raw >> (8 * i)));
    }
    ASSERT_EQ(read_wave(write_bytes("float32.wav", patched(pcm_file(32, 1, 44100, data), 20, 3)).c_str()), 9);
    EXPECT_EQ(loaded(9), (std::vector<int16_t>{16384, -32768, 32767, 32767, -32767, 0, 0, -32768, 1}));
}

TEST_F(WavReader, RatesFromOneThousandTo768000AreAccepted)
{
    EXPECT_EQ(read_wave(write_bytes("1000.wav", pcm_file(16, 1, 1000, std::vector<uint8_t>(20, 0))).c_str()), 441);
    EXPECT_EQ(read_wave(write_bytes("768000.wav", pcm_file(16, 1, 768000, std::vector<uint8_t>(3200, 0))).c_str()), 91);
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

TEST_F(WavReader, DataChunkClaimingMoreThanTheFileIsReadAsWhatTheFileHolds)
{
    std::vector<uint8_t> bytes = pcm_file(8, 1, 44100, {200, 200, 200, 200, 200});
    uint32_t claimed = 10;
    std::memcpy(&bytes[bytes.size() - 9], &claimed, 4);
    ASSERT_EQ(read_wave(write_bytes("short.wav", bytes).c_str()), 5);
    EXPECT_EQ(loaded(5), (std::vector<int16_t>(5, 18432)));

    // Headers that once cost hundreds of megabytes: the frame count follows the bytes present.
    struct Claim {
        int channels;
        uint32_t rate;
        uint32_t claimed;
        size_t present;
        int32_t frames;
    } claims[] = {{1, 44099, 0x3FFFFFFF, 0, 0}, {37, 96000, 437000000, 79, 0}, {2, 44100, 0xFFFFFFFF, 4, 1}};
    for (const Claim& c : claims) {
        bytes = pcm_file(16, c.channels, c.rate, std::vector<uint8_t>(c.present, 1));
        std::memcpy(&bytes[bytes.size() - c.present - 4], &c.claimed, 4);
        EXPECT_EQ(read_wave(write_bytes("claim.wav", bytes).c_str()), c.frames) << c.claimed;
        EXPECT_EQ(wave_data.samples.size(), static_cast<size_t>(c.frames * c.channels));
    }
}

TEST_F(WavReader, RejectedFilesChangeOnlyTheName)
{
    auto samples = synth::sine(440, 8000, 100);
    ASSERT_EQ(read_wave(write("good.wav", {}, samples).c_str()), 100);

    synth::WavLayout float_layout;
    float_layout.format_tag = 3;  // float with 16 bits
    const std::vector<uint8_t> header_and_fmt = pcm_file(16, 1, 44100, {});
    const std::vector<uint8_t> no_data(header_and_fmt.begin(), header_and_fmt.end() - 8);
    std::vector<uint8_t> zero_align = pcm_file(16, 1, 44100, {0, 0});
    zero_align[32] = zero_align[33] = 0;
    std::vector<uint8_t> zero_rate = pcm_file(16, 1, 0, {0, 0});
    std::vector<uint8_t> zero_channels = pcm_file(16, 1, 44100, {0, 0});
    zero_channels[22] = 0;
    std::vector<uint8_t> slow_rate = pcm_file(16, 1, 1, std::vector<uint8_t>(200000, 0));
    // Block alignment below the 6 bytes of one frame.
    std::vector<uint8_t> narrow_frames = patched(pcm_file(24, 2, 44100, std::vector<uint8_t>(12, 0)), 32, 5);
    synth::WavLayout float_layout32;
    float_layout32.format_tag = 3;
    float_layout32.bits = 32;
    const std::vector<uint8_t> float64 = patched(patched(synth::wav_bytes(float_layout32, samples), 34, 64), 32, 8);
    synth::WavLayout unknown_subformat;
    unknown_subformat.extensible = true;
    std::vector<uint8_t> unknown_subformat_bytes = synth::wav_bytes(unknown_subformat, samples);
    unknown_subformat_bytes[44 + 6] ^= 1;  // a GUID that is not the audio subformat family
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        {"float-16.wav", synth::wav_bytes(float_layout, samples)},
        {"adpcm.wav", patched(pcm_file(16, 1, 44100, {0, 0}), 20, 2)},
        {"no-fmt.wav", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        {"no-data.wav", no_data},
        {"zero-align.wav", zero_align},
        {"zero-rate.wav", zero_rate},
        {"zero-channels.wav", zero_channels},
        {"slow-rate.wav", slow_rate},
        {"rate-999.wav", pcm_file(16, 1, 999, {0, 0})},
        {"rate-768001.wav", pcm_file(16, 1, 768001, {0, 0})},
        {"bits-0.wav", patched(pcm_file(0, 1, 44100, {0, 0}), 32, 1)},
        {"bits-7.wav", patched(pcm_file(7, 1, 44100, {0, 0}), 32, 1)},
        {"bits-12.wav", patched(pcm_file(12, 1, 44100, {0, 0}), 32, 2)},
        {"bits-64.wav", pcm_file(64, 1, 44100, std::vector<uint8_t>(16, 0))},
        {"float-64.wav", float64},
        {"unknown-subformat.wav", unknown_subformat_bytes},
        {"narrow-frames.wav", narrow_frames},
        {"empty.wav", {}},
    };
    for (const auto& [name, bytes] : cases) {
        EXPECT_EQ(read_wave(write_bytes(name, bytes).c_str()), -1) << name;
        EXPECT_EQ(wave_data.frame_count, 100) << name;
        EXPECT_EQ(loaded(100), samples) << name;
        EXPECT_STREQ(wave_data.wave_name, dir.file(name).c_str());
    }

    // More than WAVE_MAX_SAMPLE_BYTES at 44100 per second: 25 MB of 8-bit data at 1000 Hz,
    // a hole in a sparse file.
    std::vector<uint8_t> huge = pcm_file(8, 1, 1000, {});
    const uint32_t huge_size = 25000000;
    std::memcpy(&huge[huge.size() - 4], &huge_size, 4);
    const std::string huge_path = write_bytes("huge.wav", huge);
    std::filesystem::resize_file(huge_path, huge.size() + huge_size);
    EXPECT_EQ(read_wave(huge_path.c_str()), -1);
    EXPECT_EQ(loaded(100), samples);
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
