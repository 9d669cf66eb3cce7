// Writes the seed corpus of every fuzz target into <directory>/<target>/: valid files of
// each kind, made by our own synthesiser, analysis and writers.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/analyse_wave.h"
#include "core/settings.h"
#include "core/status.h"
#include "fuzz_support.h"
#include "midi/midi_event_list.h"
#include "midi/smf_writer.h"
#include "midi/text_midi_writer.h"
#include "signal/wav_synth.h"
#include "wave/wav_reader.h"

namespace {

namespace fs = std::filesystem;

void write_text(const fs::path& path, const std::string& text)
{
    synth::write_file(path.string(), std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

void wav_seeds(const fs::path& dir)
{
    struct Seed {
        const char* name;
        int32_t channels, rate, bits;
        uint16_t tag;
        bool extensible, lists;
    } seeds[] = {{"pcm16.wav", 1, 44100, 16, 1, false, false},    {"pcm8.wav", 1, 11025, 8, 1, false, false},
                 {"pcm24-stereo.wav", 2, 22050, 24, 1, false, true}, {"pcm32.wav", 1, 48000, 32, 1, false, false},
                 {"float32.wav", 2, 96000, 32, 3, false, false},     {"ext-pcm24.wav", 2, 44100, 24, 1, true, false},
                 {"ext-float32.wav", 1, 8000, 32, 3, true, true}};
    for (const Seed& s : seeds) {
        synth::WavLayout layout;
        layout.channels = s.channels;
        layout.rate = s.rate;
        layout.bits = s.bits;
        layout.format_tag = s.tag;
        layout.extensible = s.extensible;
        layout.list_before_fmt = s.lists;
        layout.list_before_data = s.lists;
        auto tone = synth::sine(440, 8000, 48, s.rate);
        synth::write_wav((dir / s.name).string(), layout, s.channels == 2 ? synth::interleave(tone, tone) : tone);
    }
}

void settings_seeds(const fs::path& dir)
{
    reset_settings();
    save_settings_to((dir / "defaults.ini").string());
    apply_microtonal_preset();
    conversion_settings.FINE_NOTE = 1;
    conversion_settings.KEY_MIN = -5;
    midi_output_settings.PROGRAM = 9999999;
    save_settings_to((dir / "changed.ini").string());
    write_text(dir / "partial-crlf.ini", "[CONV2]\r\n KEY_MIN = 60 \r\nTIME_UNIT=\r\n[conv1]\r\nFINE_NOTE=+1\r\n");
    reset_settings();
}

// Analyses a short synthetic wave into <dir>/<name>.fft with a narrow key range.
void analysis_seed(const fs::path& dir, const char* name, const std::vector<int16_t>& samples, int32_t fine_note)
{
    reset_settings();
    conversion_settings.FFT_SIZE = 1024;
    conversion_settings.KEY_MIN = 64;
    conversion_settings.KEY_MAX = 71;
    conversion_settings.FINE_NOTE = fine_note;
    wave_data = WaveData{};
    wave_data.samples = samples;
    wave_data.frame_count = static_cast<int32_t>(samples.size());
    set_current_path((dir / name).replace_extension("wav").c_str());
    analyse_wave();
    reset_settings();
}

void analysis_seeds(const fs::path& dir)
{
    std::vector<double> chord = {synth::midi_note_frequency(64), synth::midi_note_frequency(69)};
    analysis_seed(dir, "chord", synth::chord(chord, 6000, 3000), 0);
    analysis_seed(dir, "glide", synth::glide(330, 440, 8000, 3000), 1);
}

// A small list with every kind of event the files carry, on three channels.
void fill_event_list()
{
    create_event_list(16);
    const MidiEvent events[] = {{0, 0x90, 60, 100, 0}, {0, 0xE1, 0, 64, 1},   {96, 0xB1, 11, 90, 1},
                                {96, 0x91, 64, 70, 1},  {200, 0x80, 60, 0, 0}, {150, 0xE2, 127, 127, 2},
                                {384, 0x92, 127, 1, 2}, {3073, 0x81, 64, 0, 1}, {3073, 0x82, 127, 0, 2}};
    for (const MidiEvent& e : events)
        append_event(e);
    midi_event_list.channels_used = 3;
}

void midi_seeds(const fs::path& text_dir, const fs::path& smf_dir)
{
    reset_settings();
    fill_event_list();
    write_text_midi((text_dir / "events.txt").c_str());
    write_smf((smf_dir / "events.mid").c_str());
    conversion_settings.TIME_UNIT = 1000;
    midi_output_settings.PROGRAM = 0;
    midi_event_list.channels_used = 1;
    write_text_midi((text_dir / "one-channel.txt").c_str());
    write_smf((smf_dir / "one-channel.mid").c_str());
    write_text(text_dir / "older-form.txt",
               "Event_Max_count 6\nTime_Resolution 768\nA3 100\nT 384\nA3 0\nPc2 -50\nX 127\n/ 0\nC#-1c9 64\n");
    // The format-1 layout: a conductor track with the tempo, then two tracks.
    const std::vector<uint8_t> format1 = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 3, 1, 0x80,
        'M', 'T', 'r', 'k', 0, 0, 0, 19, 0, 0xFF, 0x58, 4, 4, 2, 24, 8, 0, 0xFF, 0x51, 3, 0x03, 0xD0, 0x90,
        0, 0xFF, 0x2F, 0,
        'M', 'T', 'r', 'k', 0, 0, 0, 28, 0, 0xFF, 3, 12, 'f', 'i', 'r', 's', 't', ' ', 't', 'r', 'a', 'c',
        'k', '1', 0, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0, 0xFF, 0x2F, 0,
        'M', 'T', 'r', 'k', 0, 0, 0, 29, 0, 0xFF, 3, 12, 's', 'e', 'c', 'o', 'n', 'd', ' ', 't', 'r', 'a',
        'c', 'k', 0, 0x91, 67, 80, 0x81, 0x40, 0x81, 67, 0, 0, 0xFF, 0x2F, 0};
    synth::write_file((smf_dir / "format1.mid").string(), format1);
    // A file from other software: 480 ticks per quarter note, running status, note-on
    // velocity 0, a tempo change, a two-byte meta length and a track in format 1.
    std::vector<uint8_t> played = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0,
        'M', 'T', 'r', 'k', 0, 0, 0, 19, 0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0x83, 0x60, 0xFF, 0x51, 3,
        0x03, 0xD0, 0x90, 0, 0xFF, 0x2F, 0,
        'M', 'T', 'r', 'k', 0, 0, 0, 155, 0, 0xFF, 0x01, 0x81, 0x04};
    played.insert(played.end(), 132, 'x');
    played.insert(played.end(), {0, 0x90, 60, 100, 0x60, 64, 90, 0x83, 0x60, 60, 0, 0, 64, 0, 0, 0xFF, 0x2F, 0});
    synth::write_file((smf_dir / "played.mid").string(), played);
    // Ten ticks a second: fewer ticks per quarter note.
    fill_event_list();
    conversion_settings.TIME_UNIT = 10;
    write_smf((smf_dir / "coarse.mid").c_str());
    reset_event_list();
    reset_settings();
}

void option_seeds(const fs::path& dir)
{
    const std::string seeds[] = {std::string("song"), std::string("song.wav\0f:1\0t:768", 18),
                                 std::string("take.wave\0m:1\0h:20\0b:0\0o:1", 26),
                                 std::string("swan\0w:  -512\0f:+5\0O:1\0x", 24)};
    int n = 0;
    for (const std::string& s : seeds)
        write_text(dir / ("arguments-" + std::to_string(n++)), s);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds <directory>\n");
        return 2;
    }
    const fs::path root = argv[1];
    fuzz::reset_engine();
    const char* targets[] = {"wav_reader", "settings_file", "analysis_file", "text_midi", "smf", "batch_options"};
    for (const char* t : targets) {
        fs::remove_all(root / t);
        fs::create_directories(root / t);
    }
    wav_seeds(root / "wav_reader");
    settings_seeds(root / "settings_file");
    analysis_seeds(root / "analysis_file");
    midi_seeds(root / "text_midi", root / "smf");
    option_seeds(root / "batch_options");
    return 0;
}
