#include "playback/midi_player.h"

void start_midi_playback() {}

void stop_midi_playback() {}

bool midi_playback_running()
{
    return false;
}
