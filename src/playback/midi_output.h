// The MIDI output seam: every output port the program can play on, from a table of
// backends that the platform layer installs (built-in synthesizer first, then the system's
// MIDI ports). The player and the device dialog know only this interface.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// One open connection to an output port; destroying it closes the port.
class MidiConnection {
public:
    virtual ~MidiConnection() = default;
    // A channel message packed as pack_short_message does. Complete messages only: no
    // running status.
    virtual void send_short(uint32_t message) = 0;
    // A whole System Exclusive message, F0 ... F7; the bytes are consumed before the call
    // returns.
    virtual void send_sysex(std::span<const uint8_t> bytes) = 0;
    // Turns every note off on every channel, as a hardware reset would.
    virtual void reset() = 0;
};

// One kind of output with its ports. The functions never throw; a port that cannot be
// opened gives nullptr.
struct MidiBackend {
    const char* name = "";
    int32_t (*port_count)() = nullptr;
    std::string (*port_name)(int32_t port) = nullptr;
    std::unique_ptr<MidiConnection> (*open)(int32_t port) = nullptr;
};

// Replaces the table. The device ids number the ports of every backend in table order.
// UI thread, before any port is listed or opened.
void set_midi_backends(std::vector<MidiBackend> backends);

// The port names of every backend in table order: the row number is the device id.
std::vector<std::string> midi_output_names();

// Opens the port with this device id; nullptr for an id that names no port or a port that
// does not open.
std::unique_ptr<MidiConnection> open_midi_output(int32_t device);

// Status byte in the lowest byte, first data byte in the next, second in the third.
uint32_t pack_short_message(uint8_t status, uint8_t data1, uint8_t data2);

// The bytes a port receives for a packed message: data bytes limited to 7 bits. length is
// 3, 2 for program change and channel pressure, 0 for anything that is not a channel
// message (nothing is sent).
struct ShortMessageBytes {
    uint8_t bytes[3] = {0, 0, 0};
    int length = 0;
};
ShortMessageBytes short_message_bytes(uint32_t message);
