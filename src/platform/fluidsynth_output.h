// The built-in General MIDI synthesizer: FluidSynth with a GM SoundFont from the system,
// heard through the system's audio output.
#pragma once

#include <fluidsynth.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "playback/midi_output.h"

// The General MIDI SoundFont the synthesizer loads: the first that exists of the system's
// standard places; empty when there is none.
std::string find_gm_soundfont();

// One port (row 0 of the device list) when a SoundFont exists, none otherwise. Opening it
// fails, as a device that does not open, when no audio output can be started.
MidiBackend fluidsynth_backend();

// One synthesizer with the SoundFont loaded. Messages may come from any thread.
class FluidSynthOutput : public MidiConnection {
public:
    FluidSynthOutput(const FluidSynthOutput&) = delete;
    FluidSynthOutput& operator=(const FluidSynthOutput&) = delete;
    ~FluidSynthOutput() override;

    void send_short(uint32_t message) override;
    void send_sysex(std::span<const uint8_t> bytes) override;
    void reset() override;

    // Without an audio output: fills interleaved stereo frames (left, right) with the next
    // stretch of the sound the messages sent so far make.
    void render(std::span<int16_t> stereo);

    // nullptr when the SoundFont does not load or, with audio_output, when no audio output
    // starts. Without audio_output the synthesizer only renders.
    static std::unique_ptr<FluidSynthOutput> open(const std::string& soundfont, bool audio_output,
                                                  double sample_rate = 44100.0);

private:
    FluidSynthOutput() = default;
    bool start_audio();
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    fluid_audio_driver_t* driver_ = nullptr;
};
