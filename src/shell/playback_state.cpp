#include "shell/playback_state.h"

#include "shell/commands.h"

int32_t playback_state = 0;
int32_t wave_playing = 0;

PlaybackStep playback_command(int32_t state, int32_t command)
{
    switch (command) {
    case CMD_PLAY_WAVE:
        if (state == 1)
            return {1};
        return {1, state == 2 ? PlaybackAction::StopMidi : PlaybackAction::None,
                PlaybackAction::StartWave};
    case CMD_PLAY_MIDI:
        if (state == 2)
            return {2};
        return {2, state == 1 ? PlaybackAction::CloseWave : PlaybackAction::None,
                PlaybackAction::StartMidi};
    case CMD_STOP_PLAYBACK:
        if (state == 1)
            return {0, PlaybackAction::None, PlaybackAction::CloseWave};
        if (state == 2)
            return {0, PlaybackAction::None, PlaybackAction::StopMidi};
        return {0};
    default:
        return {state};
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
