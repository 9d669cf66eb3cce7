// Playing the event list on a MIDI output device, timed by a 10 ms periodic timer, while
// the piano roll animates.
//
// Threads: start, stop and midi_playback_running run on the UI thread; player_tick runs on
// the timer's thread. The tick reads only what start copied into the player, sends on the
// player's own connection and hands what to draw to the UI thread through `roll`. It never
// stops its own timer: after the last event it marks the end, and the UI thread's next
// midi_playback_running (or stop) runs the stop sequence.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "midi/midi_event_list.h"
#include "playback/midi_output.h"
#include "playback/roll_draw_queue.h"

// Every event sounds this long (in scaled time) after its own time, so the first one is
// heard half a second after the start.
inline constexpr uint32_t LEAD_IN_MS = 500;

// The pause before the stop sequence silences the device, letting the last notes ring.
inline constexpr uint32_t STOP_WAIT_MS = 200;

inline constexpr int32_t PLAYER_PLAYING = 0;
inline constexpr int32_t PLAYER_STOPPED = 2;

struct MidiPlayer {
    std::unique_ptr<MidiConnection> midi_out;        // open from start to stop
    std::atomic<int32_t> player_state{PLAYER_STOPPED};
    std::atomic<bool> end_reached{false};           // set by the tick after the last event
    uint32_t play_index = 0;                         // next event to send (timer thread)
    uint32_t elapsed_ms = 0;                         // sum of timer periods since the start
    uint32_t timer_period = 10;                      // ms

    // Copied at start, so that edits, reads and conversions on the UI thread never change
    // what the timer thread reads, and a change of tempo or transposition while playing
    // cannot leave a note sounding.
    std::vector<MidiEvent> events;
    int32_t channels_used = 1;
    int32_t time_unit = 1536;       // ticks per second
    int32_t tempo_percent = 100;    // never 0 or less: such a value plays at 100
    int32_t transpose = 0;
    int32_t selected_on = -1;
    int32_t selected_off = -1;
    uint32_t duration_ms = 0;       // span of the animated roll

    RollDrawQueue roll;             // what to draw, for the UI thread
};

extern MidiPlayer midi_player;

// Called after the player handed something to draw or reached the end, on the thread that
// did it (the timer's, or the UI thread at start and stop): the UI posts a drain of `roll`
// to its own thread. Must not block.
using PlayerWakeHook = void (*)();
extern PlayerWakeHook player_wake_hook;

// Text of the message shown when the output device does not open; %u is DEVICE.
inline constexpr const char* DEVICE_OPEN_FAILED_CAPTION = "MIDI再生";
inline constexpr const char* DEVICE_OPEN_FAILED_TEXT =
    "MIDI出力デバイス（デバイスＩＤ %u）を開けません。\n[MIDI設定]でデバイスを選んでください。";

// Starts playing the event list from its beginning: queues the outline roll, opens the
// device DEVICE, sends the set-up block and starts the timer. Does nothing for an empty
// list or while the player plays. When the device does not open the user is told through
// show_message and nothing plays. UI thread.
void start_midi_playback();

// Stops playback: waits STOP_WAIT_MS, stops the timer, sends All Sound Off on all 16
// channels, resets and closes the device. Runs once whoever asks first; harmless when
// nothing plays. UI thread.
void stop_midi_playback();

// True while the player plays. When the tick has reached the end, runs the stop sequence
// first and answers false. UI thread.
bool midi_playback_running();

// One timer period: sends every event whose due time the scaled clock has reached, in list
// order, and queues its drawing. Timer thread.
void player_tick();

// The set-up block for the channels in use: bank, program, volume, reverb, chorus for each
// channel, then pitch-bend centre and expression for each channel.
void send_channel_setup();

// The message for an event: note-ons and note-offs moved by transpose semitones, the note
// kept within 0..127; other events unchanged.
uint32_t apply_transpose(const MidiEvent& event, int32_t transpose);

// Milliseconds from the start of the data to an event's time at time_unit ticks per second;
// times before 0 count as 0 and a time_unit of 0 or less puts every event at 0.
uint64_t event_time_ms(int32_t time, int32_t time_unit);

// Puts the player back to its start values, closing any connection (tests use it).
void reset_midi_player();
