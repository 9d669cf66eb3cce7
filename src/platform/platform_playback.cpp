#include "platform/platform_playback.h"

#include <chrono>
#include <vector>

#include "platform/periodic_timer.h"
#include "playback/midi_output.h"
#include "playback/playback_timer.h"
#ifdef TONAGRAM_WITH_FLUIDSYNTH
#include "platform/fluidsynth_output.h"
#endif
#ifdef TONAGRAM_WITH_RTMIDI
#include "platform/alsa_midi_output.h"
#endif

namespace {

// Destroyed (and so stopped) before the player it drives, which exists before main.
PeriodicTimer& playback_thread()
{
    static PeriodicTimer timer;
    return timer;
}

bool start_timer(uint32_t period_ms, void (*tick)())
{
    return playback_thread().start(std::chrono::milliseconds(period_ms), tick);
}

void stop_timer()
{
    playback_thread().stop();
}

} // namespace

void install_platform_playback()
{
    std::vector<MidiBackend> backends;
#ifdef TONAGRAM_WITH_FLUIDSYNTH
    backends.push_back(fluidsynth_backend());
#endif
#ifdef TONAGRAM_WITH_RTMIDI
    backends.push_back(alsa_midi_backend());
#endif
    set_midi_backends(std::move(backends));
    playback_timer.start = start_timer;  // the real sleep of the default timer stays
    playback_timer.stop = stop_timer;
}
