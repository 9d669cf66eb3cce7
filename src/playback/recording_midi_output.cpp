#include "playback/recording_midi_output.h"

#include <cstdio>

MidiRecording midi_recording;

namespace {

std::string hex_bytes(std::span<const uint8_t> bytes)
{
    std::string text;
    for (const uint8_t byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        if (!text.empty())
            text += ' ';
        text += digits;
    }
    return text;
}

class RecordingConnection : public MidiConnection {
public:
    ~RecordingConnection() override { midi_recording.log.push_back("close"); }

    void send_short(uint32_t message) override
    {
        const uint8_t bytes[3] = {static_cast<uint8_t>(message), static_cast<uint8_t>(message >> 8),
                                  static_cast<uint8_t>(message >> 16)};
        midi_recording.log.push_back(hex_bytes(bytes));
    }

    void send_sysex(std::span<const uint8_t> bytes) override
    {
        midi_recording.log.push_back(hex_bytes(bytes));
    }

    void reset() override { midi_recording.log.push_back("reset"); }
};

int32_t recording_port_count()
{
    return static_cast<int32_t>(midi_recording.port_names.size());
}

std::string recording_port_name(int32_t port)
{
    return midi_recording.port_names.at(static_cast<size_t>(port));
}

std::unique_ptr<MidiConnection> recording_open(int32_t port)
{
    if (midi_recording.open_fails)
        return nullptr;
    midi_recording.log.push_back("open " + std::to_string(port));
    return std::make_unique<RecordingConnection>();
}

} // namespace

MidiBackend recording_midi_backend()
{
    return {"recording", recording_port_count, recording_port_name, recording_open};
}

void reset_midi_recording()
{
    midi_recording = MidiRecording{};
}
