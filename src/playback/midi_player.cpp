#include "playback/midi_player.h"

#include <algorithm>
#include <cstdio>

#include "core/messages.h"
#include "core/settings.h"
#include "playback/playback_timer.h"

MidiPlayer midi_player;
PlayerWakeHook player_wake_hook = nullptr;

namespace {

constexpr int32_t MIDI_CHANNELS = 16;

void send(uint8_t status, uint8_t data1, uint8_t data2)
{
    midi_player.midi_out->send_short(pack_short_message(status, data1, data2));
}

// Bank, program, volume, reverb and chorus for one channel. The bank-select LSB goes out as
// a complete control change: the outputs take no running status.
void send_sound_setup(uint8_t c)
{
    const MidiOutputSettings& s = midi_output_settings;
    send(0xB0 + c, 0x00, static_cast<uint8_t>(s.BANK1));
    send(0xB0 + c, 0x20, static_cast<uint8_t>(s.BANK2));
    send(0xC0 + c, static_cast<uint8_t>(static_cast<uint32_t>(s.PROGRAM) - 1), 0);
    send(0xB0 + c, 0x07, static_cast<uint8_t>(s.VOLUME));
    send(0xB0 + c, 0x5B, static_cast<uint8_t>(s.REVERB));
    send(0xB0 + c, 0x5D, static_cast<uint8_t>(s.CHORUS));
}

// Pitch bend to the centre and full expression for one channel.
void send_controller_reset(uint8_t c)
{
    send(0xE0 + c, 0x00, 0x40);
    send(0xB0 + c, 0x0B, 0x7F);
}

bool is_selected(uint32_t index)
{
    const auto i = static_cast<int32_t>(index);
    return i == midi_player.selected_on || i == midi_player.selected_off;
}

// Copies what the tick reads, so the UI thread stays free to change the originals.
void copy_playback_data()
{
    MidiPlayer& p = midi_player;
    const MidiEventList& list = midi_event_list;
    p.events.assign(list.events.begin(), list.events.begin() + valid_event_count());
    p.channels_used = list.channels_used;
    p.selected_on = list.selected_on;
    p.selected_off = list.selected_off;
    p.time_unit = conversion_settings.TIME_UNIT;
    const int32_t tempo = midi_output_settings.TEMPO_PERCENT;
    p.tempo_percent = tempo > 0 ? tempo : 100;
    p.transpose = midi_output_settings.TRANSPOSE;
    p.duration_ms = static_cast<uint32_t>(event_time_ms(p.events.back().time, p.time_unit));
}

// The outline roll: the background and every event as a grey bar, over the whole data.
void queue_outline_roll()
{
    MidiPlayer& p = midi_player;
    const auto last = static_cast<uint32_t>(std::max(p.events.back().time, 0));
    p.roll.clear();
    p.roll.push({RollDrawKind::background, {}, 0, last, false});
    for (uint32_t i = 0; i < p.events.size(); ++i) {
        const auto position = static_cast<uint32_t>(std::max(p.events[i].time, 0));
        p.roll.push({RollDrawKind::ghost_event, p.events[i], position, last, is_selected(i)});
    }
}

void wake_ui()
{
    if (player_wake_hook)
        player_wake_hook();
}

void report_device_not_opened()
{
    char text[256];
    std::snprintf(text, sizeof text, DEVICE_OPEN_FAILED_TEXT,
                  static_cast<unsigned>(midi_output_settings.DEVICE));
    show_message(DEVICE_OPEN_FAILED_CAPTION, text);
}

// Sends the event at play_index and queues its drawing at its own time.
void play_event()
{
    MidiPlayer& p = midi_player;
    const MidiEvent& event = p.events[p.play_index];
    const uint32_t message = p.transpose != 0
        ? apply_transpose(event, p.transpose)
        : pack_short_message(event.status, event.data1, event.data2);
    p.midi_out->send_short(message);
    const auto position = static_cast<uint32_t>(event_time_ms(event.time, p.time_unit));
    p.roll.push({RollDrawKind::note_event, event, position, p.duration_ms, is_selected(p.play_index)});
    ++p.play_index;
}

} // namespace

uint64_t event_time_ms(int32_t time, int32_t time_unit)
{
    if (time <= 0 || time_unit <= 0)
        return 0;
    return static_cast<uint64_t>(time) * 1000 / static_cast<uint64_t>(time_unit);
}

uint32_t apply_transpose(const MidiEvent& event, int32_t transpose)
{
    if (!is_note_on(event) && !is_note_off(event))
        return pack_short_message(event.status, event.data1, event.data2);
    const int64_t note = std::clamp<int64_t>(int64_t{event.data1} + transpose, 0, 127);
    return pack_short_message(event.status, static_cast<uint8_t>(note), event.data2);
}

void send_channel_setup()
{
    const int32_t channels = std::clamp(midi_player.channels_used, 1, MIDI_CHANNELS);
    for (int32_t c = 0; c < channels; ++c)
        send_sound_setup(static_cast<uint8_t>(c));
    for (int32_t c = 0; c < channels; ++c)
        send_controller_reset(static_cast<uint8_t>(c));
}

void start_midi_playback()
{
    MidiPlayer& p = midi_player;
    if (valid_event_count() == 0 || p.player_state.load() == PLAYER_PLAYING)
        return;
    copy_playback_data();
    midi_event_list.last_event_time = static_cast<uint32_t>(p.events.back().time);
    midi_event_list.duration_ms = ticks_to_duration_ms(midi_event_list.last_event_time);
    queue_outline_roll();
    wake_ui();

    p.play_index = 0;
    p.elapsed_ms = 0;
    p.end_reached.store(false);
    p.midi_out = open_midi_output(midi_output_settings.DEVICE);
    if (!p.midi_out) {
        report_device_not_opened();
        return;
    }
    send_channel_setup();
    p.player_state.store(PLAYER_PLAYING);
    // Without a timer nothing would ever play or end: give the device back at once.
    if (!playback_timer.start(p.timer_period, player_tick))
        stop_midi_playback();
}

void player_tick()
{
    MidiPlayer& p = midi_player;
    if (p.player_state.load() != PLAYER_PLAYING || p.end_reached.load())
        return;
    const uint32_t count = static_cast<uint32_t>(p.events.size());
    const uint32_t first = p.play_index;
    if (p.play_index < count) {
        const uint64_t scaled = uint64_t{p.elapsed_ms} * 100 / static_cast<uint32_t>(p.tempo_percent);
        while (p.play_index < count &&
               scaled >= event_time_ms(p.events[p.play_index].time, p.time_unit) + LEAD_IN_MS)
            play_event();
        p.elapsed_ms += p.timer_period;
    }
    if (p.play_index >= count)
        p.end_reached.store(true);
    if (p.play_index != first || p.end_reached.load())
        wake_ui();
}

void stop_midi_playback()
{
    MidiPlayer& p = midi_player;
    if (p.player_state.exchange(PLAYER_STOPPED) != PLAYER_PLAYING)
        return;
    playback_timer.wait_ms(STOP_WAIT_MS);
    playback_timer.stop();
    for (int32_t c = 0; c < MIDI_CHANNELS; ++c)
        send(static_cast<uint8_t>(0xB0 + c), 0x78, 0x00);
    p.midi_out->reset();
    p.midi_out = nullptr;  // closes the device
    p.roll.push({RollDrawKind::end, {}, 0, 0, false});
    wake_ui();
}

bool midi_playback_running()
{
    if (midi_player.end_reached.load())
        stop_midi_playback();
    return midi_player.player_state.load() == PLAYER_PLAYING;
}

void reset_midi_player()
{
    MidiPlayer& p = midi_player;
    p.midi_out = nullptr;
    p.player_state.store(PLAYER_STOPPED);
    p.end_reached.store(false);
    p.play_index = 0;
    p.elapsed_ms = 0;
    p.timer_period = 10;
    p.events.clear();
    p.channels_used = 1;
    p.time_unit = 1536;
    p.tempo_percent = 100;
    p.transpose = 0;
    p.selected_on = -1;
    p.selected_off = -1;
    p.duration_ms = 0;
    p.roll.clear();
}
