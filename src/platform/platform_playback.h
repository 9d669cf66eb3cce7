// Puts the system's MIDI outputs and the playback timer behind the player.
#pragma once

// Installs the output backends that were built (FluidSynth first, then the ALSA sequencer
// ports) and the periodic timer thread. Call once at program start, on the UI thread.
void install_platform_playback();
