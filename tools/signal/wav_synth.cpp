#include "signal/wav_synth.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <fstream>

namespace synth {

namespace {

constexpr double TWO_PI = 6.283185307179586;

void put16(std::vector<uint8_t>& b, uint32_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

void put_tag(std::vector<uint8_t>& b, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(tag[i]));
}

void put_list_chunk(std::vector<uint8_t>& b)
{
    static const char info[] = "INFOISFT\x06\0\0\0synth\0";
    put_tag(b, "LIST");
    put32(b, sizeof info - 1);
    for (size_t i = 0; i + 1 < sizeof info; ++i)
        b.push_back(static_cast<uint8_t>(info[i]));
}

void put_sample(std::vector<uint8_t>& b, int16_t s, int32_t bits, bool floating)
{
    if (floating) {
        const float value = static_cast<float>(s) / 32768.0f;
        uint32_t raw;
        std::memcpy(&raw, &value, sizeof raw);
        put32(b, raw);
    } else if (bits == 32) {
        put32(b, static_cast<uint32_t>(s) << 16);
    } else if (bits == 8) {
        b.push_back(static_cast<uint8_t>((s >> 8) + 128));
    } else if (bits == 24) {
        int32_t v = s * 256;
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
        b.push_back(static_cast<uint8_t>(v >> 16));
    } else {
        put16(b, static_cast<uint16_t>(s));
    }
}

// A small generator of our own, so the passage does not depend on the library's
// distributions.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    uint32_t next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Uniform in lo..hi, both included.
    int32_t between(int32_t lo, int32_t hi) { return lo + static_cast<int32_t>(next() % static_cast<uint32_t>(hi - lo + 1)); }

private:
    uint32_t state_;
};

} // namespace

double midi_note_frequency(double note)
{
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

std::vector<int16_t> sine(double frequency, double amplitude, int32_t frames, int32_t rate)
{
    std::vector<int16_t> out(static_cast<size_t>(frames));
    for (int32_t i = 0; i < frames; ++i)
        out[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(amplitude * std::sin(TWO_PI * frequency * i / rate)));
    return out;
}

std::vector<int16_t> silence(int32_t frames)
{
    return std::vector<int16_t>(static_cast<size_t>(frames), 0);
}

std::vector<int16_t> glide(double start_frequency, double end_frequency, double amplitude,
                           int32_t frames, int32_t rate)
{
    std::vector<int16_t> out(static_cast<size_t>(frames));
    double phase = 0;
    for (int32_t i = 0; i < frames; ++i) {
        double f = start_frequency * std::pow(end_frequency / start_frequency, static_cast<double>(i) / frames);
        out[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(amplitude * std::sin(phase)));
        phase += TWO_PI * f / rate;
    }
    return out;
}

void add_plucked_note(std::vector<double>& out, double note, double velocity, int32_t start,
                      int32_t frames, int32_t rate)
{
    const double f = midi_note_frequency(note);
    const double harmonic_levels[] = {1.0, 0.45, 0.2, 0.1};
    for (int32_t i = 0; i < frames && start + i < static_cast<int32_t>(out.size()); ++i) {
        double t = static_cast<double>(i) / rate;
        double envelope = std::exp(-2.5 * t) * std::min(1.0, t * 200.0);
        double release = i > frames - rate / 20 ? static_cast<double>(frames - i) / (rate / 20) : 1.0;
        double v = 0;
        for (int h = 0; h < 4; ++h)
            v += harmonic_levels[h] * std::sin(TWO_PI * f * (h + 1) * t);
        out[static_cast<size_t>(start + i)] += velocity * envelope * release * v;
    }
}

std::vector<int16_t> polyphonic_passage(int32_t frames, uint32_t seed, int32_t rate)
{
    Random random(seed);
    std::vector<double> signal(static_cast<size_t>(std::max(frames, 0)), 0.0);
    const int32_t step = rate / 5;
    for (int32_t start = 0; start < frames; start += step) {
        const int32_t notes = random.between(2, 4);
        for (int32_t n = 0; n < notes; ++n) {
            const int32_t note = random.between(36, 96);
            const int32_t length = random.between(step, 4 * step);
            add_plucked_note(signal, note, random.between(1500, 4000), start, length, rate);
        }
    }
    for (double& v : signal)
        v += random.between(-150, 150);
    return to_pcm16(signal);
}

std::vector<int16_t> chord(std::span<const double> frequencies, double amplitude, int32_t frames)
{
    std::vector<double> sum(static_cast<size_t>(frames), 0.0);
    for (double f : frequencies) {
        for (int32_t i = 0; i < frames; ++i)
            sum[static_cast<size_t>(i)] += amplitude * std::sin(TWO_PI * f * i / RATE);
    }
    return to_pcm16(sum);
}

std::vector<int16_t> to_pcm16(std::span<const double> signal)
{
    std::vector<int16_t> out(signal.size());
    for (size_t i = 0; i < signal.size(); ++i)
        out[i] = static_cast<int16_t>(std::clamp(std::lround(signal[i]), -32768L, 32767L));
    return out;
}

std::vector<int16_t> interleave(std::span<const int16_t> left, std::span<const int16_t> right)
{
    std::vector<int16_t> out;
    out.reserve(left.size() * 2);
    for (size_t i = 0; i < left.size() && i < right.size(); ++i) {
        out.push_back(left[i]);
        out.push_back(right[i]);
    }
    return out;
}

std::vector<uint8_t> wav_bytes(const WavLayout& layout, std::span<const int16_t> samples)
{
    const uint32_t bytes_per_sample = static_cast<uint32_t>(layout.bits / 8);
    const uint32_t block_align = static_cast<uint32_t>(layout.channels) * bytes_per_sample;
    std::vector<uint8_t> b;
    put_tag(b, "RIFF");
    put32(b, 0);  // patched below
    put_tag(b, "WAVE");
    if (layout.list_before_fmt)
        put_list_chunk(b);
    put_tag(b, "fmt ");
    const uint32_t extension_bytes = layout.extensible ? 24 : 0;
    put32(b, 16 + extension_bytes + layout.extra_fmt_bytes);
    put16(b, layout.extensible ? 0xFFFE : layout.format_tag);
    put16(b, static_cast<uint32_t>(layout.channels));
    put32(b, static_cast<uint32_t>(layout.rate));
    put32(b, static_cast<uint32_t>(layout.rate) * block_align);
    put16(b, block_align);
    put16(b, static_cast<uint32_t>(layout.bits));
    if (layout.extensible) {
        static const uint8_t guid_tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
        put16(b, 22);                                      // extension size
        put16(b, static_cast<uint32_t>(layout.bits));      // valid bits
        put32(b, layout.channels == 2 ? 3 : 4);            // speaker mask: stereo or centre
        put16(b, layout.format_tag);                       // subformat GUID
        b.insert(b.end(), std::begin(guid_tail), std::end(guid_tail));
    }
    b.insert(b.end(), layout.extra_fmt_bytes, 0);
    if (layout.list_before_data)
        put_list_chunk(b);
    put_tag(b, "data");
    put32(b, static_cast<uint32_t>(samples.size()) * bytes_per_sample);
    for (int16_t s : samples)
        put_sample(b, s, layout.bits, layout.format_tag == 3);
    const uint32_t riff_size = static_cast<uint32_t>(b.size() - 8);
    for (int i = 0; i < 4; ++i)
        b[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(riff_size >> (8 * i));
    return b;
}

bool write_file(const std::string& path, std::span<const uint8_t> bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool write_wav(const std::string& path, const WavLayout& layout, std::span<const int16_t> samples)
{
    return write_file(path, wav_bytes(layout, samples));
}

} // namespace synth
