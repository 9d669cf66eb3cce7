#include "wave/wav_reader.h"

#include "core/file_io.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

WaveData wave_data;

namespace {

struct WaveFormat {
    uint16_t format_tag = 0;
    uint16_t channels = 0;
    uint32_t samples_per_second = 0;
    uint16_t block_align = 0;
    uint16_t bits_per_sample = 0;
};

constexpr long RIFF_HEADER_BYTES = 12;
constexpr uint32_t FORMAT_RECORD_BYTES = 16;

uint32_t le32(const unsigned char* p)
{
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint16_t le16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// Moves to the body of the first chunk with the given id after the RIFF header and
// returns its stated size; nothing when the end of the file comes first. Odd-sized
// chunks are followed by a pad byte.
std::optional<uint32_t> find_chunk(std::FILE* f, const char* id)
{
    if (std::fseek(f, RIFF_HEADER_BYTES, SEEK_SET) != 0)
        return std::nullopt;
    unsigned char header[8];
    while (std::fread(header, 1, sizeof header, f) == sizeof header) {
        uint32_t size = le32(header + 4);
        if (std::memcmp(header, id, 4) == 0)
            return size;
        long skip = static_cast<long>(size) + static_cast<long>(size & 1);
        if (std::fseek(f, skip, SEEK_CUR) != 0)
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<WaveFormat> read_format(std::FILE* f)
{
    auto size = find_chunk(f, "fmt ");
    if (!size || *size < FORMAT_RECORD_BYTES)
        return std::nullopt;
    unsigned char body[FORMAT_RECORD_BYTES];
    if (std::fread(body, 1, sizeof body, f) != sizeof body)
        return std::nullopt;
    WaveFormat fmt;
    fmt.format_tag = le16(body);
    fmt.channels = le16(body + 2);
    fmt.samples_per_second = le32(body + 4);
    fmt.block_align = le16(body + 12);
    fmt.bits_per_sample = le16(body + 14);
    return fmt;
}

long bytes_left(std::FILE* f)
{
    long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0)
        return 0;
    long end = std::ftell(f);
    std::fseek(f, here, SEEK_SET);
    return std::max(0L, end - here);
}

// Converts raw PCM bytes to 16-bit samples: 16 bits as they are, 24 bits divided by 256
// toward zero, anything else as unsigned 8-bit data.
void convert_to_16_bit(std::span<const unsigned char> raw, int bits, std::span<int16_t> out)
{
    if (bits == 16) {
        size_t n = std::min(out.size(), raw.size() / 2);
        for (size_t i = 0; i < n; ++i)
            out[i] = static_cast<int16_t>(le16(&raw[2 * i]));
    } else if (bits == 24) {
        size_t n = std::min(out.size(), raw.size() / 3);
        for (size_t i = 0; i < n; ++i) {
            const unsigned char* p = &raw[3 * i];
            int32_t v = static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 24) >> 8;
            out[i] = static_cast<int16_t>(v / 256);
        }
    } else {
        size_t n = std::min(out.size(), raw.size());
        for (size_t i = 0; i < n; ++i)
            out[i] = static_cast<int16_t>((raw[i] - 128) * 256);
    }
}

// Frames after conversion to 44100 per second, truncated as the double division gives them.
uint64_t frames_at_44100(uint32_t source_frames, uint32_t rate)
{
    if (rate == WAVE_SAMPLE_RATE)
        return source_frames;
    return static_cast<uint64_t>(source_frames * double{WAVE_SAMPLE_RATE} / rate);
}

// Reads the data chunk the file is positioned at and converts it to channels x frames
// 16-bit samples. A truncated data chunk keeps what is there; the rest stays silent.
std::vector<int16_t> read_samples(std::FILE* f, uint32_t data_size, const WaveFormat& fmt, uint32_t frames)
{
    const size_t raw_size = std::min<uint64_t>(data_size, static_cast<uint64_t>(bytes_left(f)));
    std::vector<unsigned char> raw(raw_size);
    raw.resize(std::fread(raw.data(), 1, raw.size(), f));
    std::vector<int16_t> samples(uint64_t{fmt.channels} * frames, 0);
    convert_to_16_bit(raw, fmt.bits_per_sample, samples);
    return samples;
}

int32_t fail_after_open(const char* path)
{
    std::snprintf(wave_data.wave_name, sizeof wave_data.wave_name, "%s", path);
    return -1;
}

} // namespace

int32_t read_wave(const char* path)
{
    FileHandle file = open_file(path, "rb");
    if (!file)
        return -1;
    std::FILE* f = file.get();

    auto fmt = read_format(f);
    if (!fmt || fmt->format_tag != 1 || fmt->channels == 0 || fmt->block_align == 0 ||
        fmt->samples_per_second == 0)
        return fail_after_open(path);
    auto data_size = find_chunk(f, "data");
    if (!data_size)
        return fail_after_open(path);
    const uint32_t source_frames = *data_size / fmt->block_align;
    const uint64_t target_frames = frames_at_44100(source_frames, fmt->samples_per_second);
    if (uint64_t{fmt->channels} * std::max<uint64_t>(source_frames, target_frames) * 2 > WAVE_MAX_SAMPLE_BYTES)
        return fail_after_open(path);

    std::vector<int16_t> converted = read_samples(f, *data_size, *fmt, source_frames);
    file.reset();

    std::snprintf(wave_data.wave_name, sizeof wave_data.wave_name, "%s", path);
    wave_data.channels = fmt->channels;
    wave_data.sample_rate = WAVE_SAMPLE_RATE;
    wave_data.bits_per_sample = fmt->bits_per_sample;
    wave_data.frame_count = static_cast<int32_t>(target_frames);
    if (target_frames == source_frames) {
        wave_data.samples = std::move(converted);
    } else {
        wave_data.samples.assign(fmt->channels * target_frames, 0);
        resample_linear(fmt->channels, static_cast<int32_t>(source_frames), converted.data(),
                        static_cast<int32_t>(target_frames), wave_data.samples.data());
    }
    return wave_data.frame_count;
}

void resample_linear(int32_t channels, int32_t source_frames, const int16_t* source,
                     int32_t target_frames, int16_t* target)
{
    if (source_frames <= 0 || target_frames <= 0)
        return;
    const double ratio = static_cast<double>(source_frames) / target_frames;
    const int64_t last = source_frames - 1;
    for (int64_t i = 0; i < target_frames; ++i) {
        double pos = static_cast<double>(i) * ratio;
        int64_t k = static_cast<int64_t>(pos);
        double frac = pos - static_cast<double>(k);
        int64_t k0 = std::min(k, last);
        int64_t k1 = std::min(k + 1, last);
        if (k0 == k1)
            frac = 0;
        for (int64_t c = 0; c < channels; ++c) {
            double value = source[k0 * channels + c] * (1 - frac) + source[k1 * channels + c] * frac;
            double clamped = std::clamp(std::trunc(value), -32768.0, 32767.0);
            target[i * channels + c] = static_cast<int16_t>(clamped);
        }
    }
}

void mix_to_mono()
{
    if (wave_data.channels != 2)
        return;
    int16_t* s = wave_data.samples.data();
    for (int64_t i = 0; i < wave_data.frame_count; ++i)
        s[i] = static_cast<int16_t>((s[2 * i] + s[2 * i + 1]) / 2);
    wave_data.channels = 1;
}

void reset_wave_data()
{
    wave_data = WaveData{};
}
