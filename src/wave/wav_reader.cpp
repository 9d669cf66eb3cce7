#include "wave/wav_reader.h"

#include "core/file_io.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>

WaveData wave_data;

namespace {

// How the samples of a data chunk are stored.
enum class SampleEncoding { Unsigned8, Signed16, Signed24, Signed32, Float32 };

struct WaveFormat {
    uint16_t format_tag = 0;  // the subformat's tag for WAVE_FORMAT_EXTENSIBLE
    uint16_t channels = 0;
    uint32_t samples_per_second = 0;
    uint16_t block_align = 0;
    uint16_t bits_per_sample = 0;
};

constexpr long RIFF_HEADER_BYTES = 12;
constexpr uint32_t FORMAT_RECORD_BYTES = 16;
constexpr uint32_t EXTENSIBLE_RECORD_BYTES = 40;
constexpr uint16_t FORMAT_PCM = 1;
constexpr uint16_t FORMAT_FLOAT = 3;
constexpr uint16_t FORMAT_EXTENSIBLE = 0xFFFE;
// The subformat GUID of WAVE_FORMAT_EXTENSIBLE after its leading 16-bit format tag.
constexpr unsigned char SUBFORMAT_GUID_TAIL[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// Raw bytes converted per read call: the reader never holds the data chunk twice.
constexpr size_t READ_BLOCK_BYTES = size_t{1} << 16;

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
    unsigned char body[EXTENSIBLE_RECORD_BYTES] = {};
    const size_t wanted = std::min(*size, EXTENSIBLE_RECORD_BYTES);
    if (std::fread(body, 1, wanted, f) != wanted)
        return std::nullopt;
    WaveFormat fmt;
    fmt.format_tag = le16(body);
    fmt.channels = le16(body + 2);
    fmt.samples_per_second = le32(body + 4);
    fmt.block_align = le16(body + 12);
    fmt.bits_per_sample = le16(body + 14);
    if (fmt.format_tag == FORMAT_EXTENSIBLE) {
        const bool known = wanted == EXTENSIBLE_RECORD_BYTES &&
                           std::memcmp(body + 26, SUBFORMAT_GUID_TAIL, sizeof SUBFORMAT_GUID_TAIL) == 0;
        fmt.format_tag = known ? le16(body + 24) : FORMAT_EXTENSIBLE;
    }
    return fmt;
}

// The encoding of an integer PCM or IEEE float format; nothing for any other.
std::optional<SampleEncoding> sample_encoding(const WaveFormat& fmt)
{
    if (fmt.format_tag == FORMAT_FLOAT)
        return fmt.bits_per_sample == 32 ? std::optional(SampleEncoding::Float32) : std::nullopt;
    if (fmt.format_tag != FORMAT_PCM)
        return std::nullopt;
    switch (fmt.bits_per_sample) {
    case 8: return SampleEncoding::Unsigned8;
    case 16: return SampleEncoding::Signed16;
    case 24: return SampleEncoding::Signed24;
    case 32: return SampleEncoding::Signed32;
    default: return std::nullopt;
    }
}

size_t bytes_per_sample(SampleEncoding encoding)
{
    switch (encoding) {
    case SampleEncoding::Unsigned8: return 1;
    case SampleEncoding::Signed16: return 2;
    case SampleEncoding::Signed24: return 3;
    default: return 4;
    }
}

int16_t float_to_16_bit(const unsigned char* p)
{
    const uint32_t bits = le32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    const double scaled = std::trunc(static_cast<double>(value) * 32768.0);
    if (std::isnan(scaled))
        return 0;
    return static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

// One stored sample as a 16-bit value: 16 bits as they are, 24 and 32 bits divided by 256
// and 65536 toward zero, 8 bits unsigned around 128, float scaled by 32768.
int16_t to_16_bit(const unsigned char* p, SampleEncoding encoding)
{
    switch (encoding) {
    case SampleEncoding::Unsigned8:
        return static_cast<int16_t>((p[0] - 128) * 256);
    case SampleEncoding::Signed16:
        return static_cast<int16_t>(le16(p));
    case SampleEncoding::Signed24:
        return static_cast<int16_t>((static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 24) >> 8) / 256);
    case SampleEncoding::Signed32:
        return static_cast<int16_t>(static_cast<int32_t>(le32(p)) / 65536);
    case SampleEncoding::Float32:
        return float_to_16_bit(p);
    }
    return 0;
}

// The samples of a data chunk, read and converted block by block.
class SampleStream {
public:
    SampleStream(std::FILE* file, uint64_t data_bytes, SampleEncoding encoding)
        : file_(file), left_(data_bytes), encoding_(encoding), raw_(READ_BLOCK_BYTES)
    {
    }

    // Fills out with the next samples; what the file no longer holds stays silent.
    void read(std::span<int16_t> out)
    {
        const size_t width = bytes_per_sample(encoding_);
        const size_t per_block = raw_.size() / width;
        for (size_t done = 0; done < out.size();) {
            const size_t wanted = std::min<uint64_t>({out.size() - done, per_block, left_ / width});
            const size_t got = wanted == 0 ? 0 : std::fread(raw_.data(), width, wanted, file_);
            if (got == 0) {
                std::fill(out.begin() + static_cast<std::ptrdiff_t>(done), out.end(), int16_t{0});
                return;
            }
            left_ -= got * width;
            for (size_t i = 0; i < got; ++i)
                out[done + i] = to_16_bit(&raw_[i * width], encoding_);
            done += got;
        }
    }

private:
    std::FILE* file_;
    uint64_t left_;
    SampleEncoding encoding_;
    std::vector<unsigned char> raw_;
};

// A few consecutive source frames at a time, so resampling makes one pass over the data
// without holding the whole source.
class SourceWindow {
public:
    SourceWindow(SampleStream& stream, int32_t channels)
        : stream_(stream), channels_(channels),
          capacity_(std::max<int64_t>(static_cast<int64_t>(READ_BLOCK_BYTES / 2) / channels, 2)),
          samples_(static_cast<size_t>(capacity_ * channels))
    {
    }

    // Makes frames k0 and k1 available (k1 is k0 or k0 + 1; k0 never decreases).
    void hold(int64_t k0, int64_t k1)
    {
        const int64_t end = first_ + held_;
        if (k1 < end)
            return;
        const int64_t kept = std::clamp<int64_t>(end - k0, 0, held_);
        std::copy(at(end - kept), at(end), samples_.begin());
        for (int64_t skip = k0 - end; skip > 0;) {  // frames no target frame falls between
            const int64_t n = std::min(skip, capacity_);
            stream_.read(std::span(samples_.data(), static_cast<size_t>(n * channels_)));
            skip -= n;
        }
        stream_.read(std::span(samples_.data() + kept * channels_, static_cast<size_t>((capacity_ - kept) * channels_)));
        first_ = k0;
        held_ = capacity_;
    }

    const int16_t* frame(int64_t k) const { return &*at(k); }

private:
    std::vector<int16_t>::const_iterator at(int64_t k) const
    {
        return samples_.begin() + (k - first_) * channels_;
    }

    SampleStream& stream_;
    int64_t channels_;
    int64_t capacity_;  // frames
    std::vector<int16_t> samples_;
    int64_t first_ = 0;
    int64_t held_ = 0;
};

// Linear interpolation for every target frame between the two source frames around it;
// frames(k0, k1) gives those frames' samples.
template <typename Frames>
void resample_frames(int64_t channels, int64_t source_frames, int64_t target_frames, int16_t* target,
                     Frames&& frames)
{
    if (source_frames <= 0 || target_frames <= 0)
        return;
    const double ratio = static_cast<double>(source_frames) / static_cast<double>(target_frames);
    const int64_t last = source_frames - 1;
    for (int64_t i = 0; i < target_frames; ++i) {
        double pos = static_cast<double>(i) * ratio;
        int64_t k = static_cast<int64_t>(pos);
        double frac = pos - static_cast<double>(k);
        int64_t k0 = std::min(k, last);
        int64_t k1 = std::min(k + 1, last);
        if (k0 == k1)
            frac = 0;
        const auto [a, b] = frames(k0, k1);
        for (int64_t c = 0; c < channels; ++c) {
            double value = a[c] * (1 - frac) + b[c] * frac;
            double clamped = std::clamp(std::trunc(value), -32768.0, 32767.0);
            target[i * channels + c] = static_cast<int16_t>(clamped);
        }
    }
}

// Frames after conversion to 44100 per second, truncated as the double division gives them.
uint64_t frames_at_44100(uint64_t source_frames, uint32_t rate)
{
    if (rate == WAVE_SAMPLE_RATE)
        return source_frames;
    return static_cast<uint64_t>(static_cast<double>(source_frames) * double{WAVE_SAMPLE_RATE} / rate);
}

// A layout the reader can convert: a known encoding, a recording's sample rate, and frames
// large enough for their samples.
std::optional<SampleEncoding> usable_encoding(const WaveFormat& fmt)
{
    const std::optional<SampleEncoding> encoding = sample_encoding(fmt);
    if (!encoding || fmt.channels == 0 || fmt.samples_per_second < WAVE_MIN_SAMPLE_RATE ||
        fmt.samples_per_second > WAVE_MAX_SAMPLE_RATE ||
        fmt.block_align < fmt.channels * bytes_per_sample(*encoding))
        return std::nullopt;
    return encoding;
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

int32_t fail_after_open(const char* path)
{
    std::snprintf(wave_data.wave_name, sizeof wave_data.wave_name, "%s", path);
    return -1;
}

// Converts the data chunk into samples (channels x target frames), resampling on the way
// when the frame counts differ.
void convert_samples(SampleStream& stream, int32_t channels, uint64_t source_frames, uint64_t target_frames,
                     std::span<int16_t> samples)
{
    if (source_frames == target_frames) {
        stream.read(samples);
        return;
    }
    SourceWindow window(stream, channels);
    resample_frames(channels, static_cast<int64_t>(source_frames), static_cast<int64_t>(target_frames),
                    samples.data(), [&window](int64_t k0, int64_t k1) {
                        window.hold(k0, k1);
                        return std::pair(window.frame(k0), window.frame(k1));
                    });
}

} // namespace

int32_t read_wave(const char* path)
{
    // A FIFO or a device would never end or keep the reader waiting.
    FileHandle file = open_regular_file(path);
    if (!file)
        return -1;
    std::FILE* f = file.get();

    const std::optional<WaveFormat> fmt = read_format(f);
    const std::optional<SampleEncoding> encoding = fmt ? usable_encoding(*fmt) : std::nullopt;
    if (!encoding)
        return fail_after_open(path);
    const std::optional<uint32_t> data_size = find_chunk(f, "data");
    if (!data_size)
        return fail_after_open(path);
    // A data chunk that claims more than the file holds is read as what the file holds.
    const uint64_t data_bytes = std::min<uint64_t>(*data_size, static_cast<uint64_t>(bytes_left(f)));
    const uint64_t source_frames = data_bytes / fmt->block_align;
    const uint64_t target_frames = frames_at_44100(source_frames, fmt->samples_per_second);
    const uint64_t sample_count = uint64_t{fmt->channels} * target_frames;
    if (sample_count * sizeof(int16_t) > WAVE_MAX_SAMPLE_BYTES)
        return fail_after_open(path);

    // The previous wave goes first, so only one full-size buffer is ever held.
    std::snprintf(wave_data.wave_name, sizeof wave_data.wave_name, "%s", path);
    wave_data.frame_count = 0;
    wave_data.samples = std::vector<int16_t>();
    try {
        wave_data.samples.assign(sample_count, 0);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    SampleStream stream(f, data_bytes, *encoding);
    convert_samples(stream, fmt->channels, source_frames, target_frames, wave_data.samples);

    wave_data.channels = fmt->channels;
    wave_data.sample_rate = WAVE_SAMPLE_RATE;
    wave_data.bits_per_sample = fmt->bits_per_sample;
    wave_data.frame_count = static_cast<int32_t>(target_frames);
    return wave_data.frame_count;
}

void resample_linear(int32_t channels, int32_t source_frames, const int16_t* source,
                     int32_t target_frames, int16_t* target)
{
    resample_frames(channels, source_frames, target_frames, target, [source, channels](int64_t k0, int64_t k1) {
        return std::pair(source + k0 * channels, source + k1 * channels);
    });
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
