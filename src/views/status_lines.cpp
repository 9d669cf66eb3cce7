#include "views/status_lines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdio>

#include "core/saturate.h"
#include "core/status.h"
#include "midi/event_statistics.h"
#include "midi/midi_event_list.h"
#include "wave/wav_reader.h"

namespace {

constexpr size_t NAME_LIMIT = PATH_CAPACITY - 1;  // what the path buffer holds besides its terminator

// printf into a string of any length: a long path never cuts the line short.
std::string format(const char* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, pattern, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, pattern, again);
    va_end(again);
    return text;
}

} // namespace

std::string name_with_extension_mark(std::string_view name, std::string_view mark)
{
    std::string text(name.substr(0, std::min(name.size(), NAME_LIMIT)));
    if (const size_t dot = text.rfind('.'); dot != std::string::npos) {
        const size_t kept = std::min(text.size(), dot + 1 + mark.size());
        text = text.substr(0, dot + 1) + std::string(mark) + text.substr(kept);
    }
    return text;
}

std::string wave_status_line()
{
    const WaveData& wave = wave_data;
    const double duration = wave.sample_rate > 0 ? std::trunc(wave.frame_count * 1000.0 / wave.sample_rate) : 0.0;
    const int32_t duration_ms = saturate_int32(static_cast<int64_t>(duration));
    midi_event_list.duration_ms = static_cast<uint32_t>(duration_ms);
    const std::string name = name_with_extension_mark(wave.wave_name, "WAV");
    return format("WAVEファイル:%s サンプリング周波数:%d[Hz] 量子化ビット長:%d[bits] チャンネル数:%d 演奏時間:%d[msec]\n",
                  name.c_str(), wave.sample_rate, wave.bits_per_sample, wave.channels, duration_ms);
}

std::string midi_status_line()
{
    MidiEventList& list = midi_event_list;
    list.peak_code_rate = measure_peak_code_rate();
    const std::string name = name_with_extension_mark(list.source_name, "TXT");
    return format("MIDIファイル:%s イベント数:%d 演奏時間:%d チャンネル数:%d 和音数:%d 音量比率:%d 符号長[bps]:%d\n",
                  name.c_str(), list.event_count, static_cast<int32_t>(list.duration_ms), list.channels_used,
                  list.max_polyphony, volume_ratio(), list.peak_code_rate);
}

int32_t volume_ratio()
{
    const int32_t count = valid_event_count();
    if (count == 0)
        return -1;
    const std::vector<MidiEvent>& events = midi_event_list.events;
    std::array<int64_t, 128> start;
    std::array<int64_t, 128> velocity{};
    start.fill(-1);
    // 64 bits: long data would wrap a 32-bit sum.
    int64_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        const MidiEvent& e = events[static_cast<size_t>(i)];
        if (e.data1 > 127)
            continue;
        const size_t note = e.data1;
        if (is_note_on(e) && start[note] == -1) {
            start[note] = e.time;
            velocity[note] = e.data2;
        } else if (is_note_off(e) && start[note] != -1) {
            sum += (e.time - start[note]) * velocity[note];
            start[note] = -1;
            velocity[note] = 0;
        }
    }
    // The divisor is taken unsigned: a list whose last event is earlier than its first
    // gives a huge length and a ratio near 0.
    const uint32_t length = static_cast<uint32_t>(int64_t{events[static_cast<size_t>(count - 1)].time} - events[0].time);
    if (length == 0)
        return 0;
    return saturate_int32(static_cast<int64_t>(std::trunc(static_cast<double>(sum) / length)));
}
