#include "platform/alsa_midi_output.h"

#include <rtmidi/RtMidi.h>

#include <filesystem>
#include <string>

namespace {

constexpr const char* CLIENT_NAME = "Tonagram";
constexpr const char* SEQUENCER_DEVICE = "/dev/snd/seq";

// Errors after construction arrive here instead of as exceptions: a port that vanished
// while playing must not throw on the timer thread. The caller checks the port's state.
void ignore_rtmidi_error(RtMidiError::Type, const std::string&, void*) {}

// A client of the ALSA sequencer, or nullptr when there is none. Without the sequencer
// device the libraries would print their failure on every listing, and RtMidi throws.
std::unique_ptr<RtMidiOut> alsa_client()
{
    std::error_code ignored;
    if (!std::filesystem::exists(SEQUENCER_DEVICE, ignored))
        return nullptr;
    try {
        auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, CLIENT_NAME);
        out->setErrorCallback(ignore_rtmidi_error, nullptr);
        return out;
    } catch (...) {
        return nullptr;
    }
}

class AlsaMidiConnection : public MidiConnection {
public:
    explicit AlsaMidiConnection(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {}

    void send_short(uint32_t message) override
    {
        const ShortMessageBytes m = short_message_bytes(message);
        if (m.length > 0)
            out_->sendMessage(m.bytes, static_cast<size_t>(m.length));
    }

    void send_sysex(std::span<const uint8_t> bytes) override
    {
        out_->sendMessage(bytes.data(), bytes.size());
    }

    // An ALSA port has no reset of its own: All Notes Off and the sustain pedal released on
    // every channel, as a reset of a MIDI output does.
    void reset() override
    {
        for (uint8_t c = 0; c < 16; ++c) {
            const uint8_t pedal_up[3] = {static_cast<uint8_t>(0xB0 + c), 0x40, 0x00};
            const uint8_t notes_off[3] = {static_cast<uint8_t>(0xB0 + c), 0x7B, 0x00};
            out_->sendMessage(pedal_up, 3);
            out_->sendMessage(notes_off, 3);
        }
    }

private:
    std::unique_ptr<RtMidiOut> out_;
};

int32_t alsa_port_count()
{
    const std::unique_ptr<RtMidiOut> out = alsa_client();
    return out ? static_cast<int32_t>(out->getPortCount()) : 0;
}

std::string alsa_port_name(int32_t port)
{
    const std::unique_ptr<RtMidiOut> out = alsa_client();
    return out ? out->getPortName(static_cast<unsigned>(port)) : std::string();
}

std::unique_ptr<MidiConnection> alsa_open(int32_t port)
{
    std::unique_ptr<RtMidiOut> out = alsa_client();
    if (!out)
        return nullptr;
    out->openPort(static_cast<unsigned>(port), CLIENT_NAME);
    if (!out->isPortOpen())
        return nullptr;
    return std::make_unique<AlsaMidiConnection>(std::move(out));
}

} // namespace

MidiBackend alsa_midi_backend()
{
    return {"ALSA", alsa_port_count, alsa_port_name, alsa_open};
}
