#include "platform/fluidsynth_output.h"

#include <filesystem>
#include <vector>

namespace {

// Debian's alternatives link first, then the SoundFonts packages install under their names,
// then the places other distributions use.
constexpr const char* SOUNDFONT_PLACES[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/soundfonts/default.sf2",
    "/usr/share/soundfonts/FluidR3_GM.sf2",
};

// The audio outputs tried in turn. JACK is left out: its client may start a server.
constexpr const char* AUDIO_DRIVERS[] = {"pulseaudio", "alsa"};

// The library reports a missing audio output on standard error; the player reports it to the
// user instead.
void quiet_fluidsynth_log()
{
    static const bool done = [] {
        for (const int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, nullptr, nullptr);
        return true;
    }();
    (void)done;
}

int32_t fluidsynth_port_count()
{
    return find_gm_soundfont().empty() ? 0 : 1;
}

std::string fluidsynth_port_name(int32_t)
{
    return "FluidSynth GM (" + std::filesystem::path(find_gm_soundfont()).filename().string() + ")";
}

std::unique_ptr<MidiConnection> open_fluidsynth_port(int32_t)
{
    return FluidSynthOutput::open(find_gm_soundfont(), true);
}

} // namespace

std::string find_gm_soundfont()
{
    std::error_code ignored;
    for (const char* place : SOUNDFONT_PLACES)
        if (std::filesystem::is_regular_file(place, ignored))
            return place;
    return {};
}

MidiBackend fluidsynth_backend()
{
    return {"FluidSynth", fluidsynth_port_count, fluidsynth_port_name, open_fluidsynth_port};
}

std::unique_ptr<FluidSynthOutput> FluidSynthOutput::open(const std::string& soundfont,
                                                         bool audio_output, double sample_rate)
{
    quiet_fluidsynth_log();
    std::unique_ptr<FluidSynthOutput> out(new FluidSynthOutput);
    out->settings_ = new_fluid_settings();
    if (!out->settings_)
        return nullptr;
    fluid_settings_setnum(out->settings_, "synth.sample-rate", sample_rate);
    out->synth_ = new_fluid_synth(out->settings_);
    if (!out->synth_ || soundfont.empty())
        return nullptr;
    // The audio output first: without one, loading the SoundFont would be time lost.
    if (audio_output && !out->start_audio())
        return nullptr;
    if (fluid_synth_sfload(out->synth_, soundfont.c_str(), 1) == FLUID_FAILED)
        return nullptr;
    return out;
}

bool FluidSynthOutput::start_audio()
{
    for (const char* driver : AUDIO_DRIVERS) {
        fluid_settings_setstr(settings_, "audio.driver", driver);
        driver_ = new_fluid_audio_driver(settings_, synth_);
        if (driver_)
            return true;
    }
    return false;
}

FluidSynthOutput::~FluidSynthOutput()
{
    if (driver_)
        delete_fluid_audio_driver(driver_);
    if (synth_)
        delete_fluid_synth(synth_);
    if (settings_)
        delete_fluid_settings(settings_);
}

void FluidSynthOutput::send_short(uint32_t message)
{
    const ShortMessageBytes m = short_message_bytes(message);
    if (m.length == 0)
        return;
    const int channel = m.bytes[0] & 0x0F;
    const int a = m.bytes[1];
    const int b = m.bytes[2];
    switch (m.bytes[0] & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth_, channel, a); break;
    case 0x90: fluid_synth_noteon(synth_, channel, a, b); break;  // velocity 0 releases
    case 0xA0: fluid_synth_key_pressure(synth_, channel, a, b); break;
    case 0xB0: fluid_synth_cc(synth_, channel, a, b); break;
    case 0xC0: fluid_synth_program_change(synth_, channel, a); break;
    case 0xD0: fluid_synth_channel_pressure(synth_, channel, a); break;
    case 0xE0: fluid_synth_pitch_bend(synth_, channel, a | b << 7); break;
    default: break;
    }
}

void FluidSynthOutput::send_sysex(std::span<const uint8_t> bytes)
{
    // The synthesizer takes the message without its F0 and F7.
    if (bytes.size() < 2 || bytes.front() != 0xF0 || bytes.back() != 0xF7)
        return;
    const std::vector<char> body(bytes.begin() + 1, bytes.end() - 1);
    fluid_synth_sysex(synth_, body.data(), static_cast<int>(body.size()), nullptr, nullptr,
                      nullptr, 0);
}

void FluidSynthOutput::reset()
{
    fluid_synth_all_notes_off(synth_, -1);
}

void FluidSynthOutput::render(std::span<int16_t> stereo)
{
    const int frames = static_cast<int>(stereo.size() / 2);
    fluid_synth_write_s16(synth_, frames, stereo.data(), 0, 2, stereo.data(), 1, 2);
}
