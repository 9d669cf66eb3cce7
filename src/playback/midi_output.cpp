#include "playback/midi_output.h"

#include <utility>

namespace {

std::vector<MidiBackend> backends;

} // namespace

void set_midi_backends(std::vector<MidiBackend> table)
{
    backends = std::move(table);
}

std::vector<std::string> midi_output_names()
{
    std::vector<std::string> names;
    for (const MidiBackend& backend : backends) {
        const int32_t count = backend.port_count();
        for (int32_t port = 0; port < count; ++port)
            names.push_back(backend.port_name(port));
    }
    return names;
}

std::unique_ptr<MidiConnection> open_midi_output(int32_t device)
{
    if (device < 0)
        return nullptr;
    for (const MidiBackend& backend : backends) {
        const int32_t count = backend.port_count();
        if (device < count)
            return backend.open(device);
        device -= count;
    }
    return nullptr;
}

uint32_t pack_short_message(uint8_t status, uint8_t data1, uint8_t data2)
{
    return status | static_cast<uint32_t>(data1) << 8 | static_cast<uint32_t>(data2) << 16;
}

ShortMessageBytes short_message_bytes(uint32_t message)
{
    const uint8_t status = message & 0xFF;
    ShortMessageBytes out;
    if (status < 0x80 || status >= 0xF0)
        return out;
    out.bytes[0] = status;
    out.bytes[1] = (message >> 8) & 0x7F;
    out.bytes[2] = (message >> 16) & 0x7F;
    const uint8_t kind = status & 0xF0;
    out.length = (kind == 0xC0 || kind == 0xD0) ? 2 : 3;
    return out;
}
