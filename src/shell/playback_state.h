// What plays: playback_state and its transitions. The WAV player and the MIDI player do
// the playing; these rules say which to start, poll or stop.
#pragma once

#include <cstdint>

// 0 idle, 1 the WAV file plays, 2 the MIDI data plays. UI thread.
extern int32_t playback_state;

// 1 from the opening of the WAV player's window until it is closed; the player writes it.
extern int32_t wave_playing;

enum class PlaybackAction { None, StartWave, StartMidi, CloseWave, StopMidi };

struct PlaybackStep {
    int32_t state = 0;
    PlaybackAction stop_first = PlaybackAction::None;  // CloseWave or StopMidi, before action
    PlaybackAction action = PlaybackAction::None;
};

// Commands 32774 (play WAV), 32771 (play MIDI) and 32775 (stop). A play command starts its
// player from idle; while the other player runs it stops that one first, so only one ever
// plays and [再生停止] always names it; while its own player runs it changes nothing. Stop
// ends what the state names and returns to idle. Other commands change nothing.
PlaybackStep playback_command(int32_t state, int32_t command);

// The poll before every event of the main window: state 1 returns to 0 when the WAV player
// no longer plays, state 2 when the MIDI player has stopped.
int32_t playback_after_poll(int32_t state, bool wave_playing, bool midi_playing);
