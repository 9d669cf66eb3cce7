#include "shell/playback_state.h"

#include "shell/commands.h"

int32_t playback_state = 0;
int32_t wave_playing = 0;

PlaybackStep playback_command(int32_t state, int32_t command)
{
    switch (command) {
    case CMD_PLAY_WAVE:
        return {1, state == 0 ? PlaybackAction::StartWave : PlaybackAction::None};
    case CMD_PLAY_MIDI:
        return {2, state == 0 ? PlaybackAction::StartMidi : PlaybackAction::None};
    case CMD_STOP_PLAYBACK:
        if (state == 1)
            return {0, PlaybackAction::CloseWave};
        if (state == 2)
            return {0, PlaybackAction::StopMidi};
        return {0, PlaybackAction::None};
    default:
        return {state, PlaybackAction::None};
    }
}

int32_t playback_after_poll(int32_t state, bool wave_playing, bool midi_playing)
{
    if (state == 1 && !wave_playing)
        return 0;
    if (state == 2 && !midi_playing)
        return 0;
    return state;
}
