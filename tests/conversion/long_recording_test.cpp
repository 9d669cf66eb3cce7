// An hour of stereo at 44100 per second: the reader, the sample positions of the analysis
// file, the tick times and duration_ms stay exact where 32-bit products would wrap.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "analysis/analysis_file.h"
#include "conversion/conversion_driver.h"
#include "core/file_io.h"
#include "core/settings.h"
#include "core/status.h"
#include "midi/midi_event_list.h"
#include "midi/smf_writer.h"
#include "midi/text_midi_writer.h"
#include "signal/wav_synth.h"
#include "support/test_support.h"
#include "wave/wav_reader.h"

namespace {

constexpr uint32_t HOUR_FRAMES = 44100u * 3600u;

// A one-hour stereo file whose data is a hole: a valid header and 635 MB of silence.
std::string write_hour_of_silence(const test::TempDir& dir)
{
    synth::WavLayout layout;
    layout.channels = 2;
    std::vector<uint8_t> header = synth::wav_bytes(layout, {});
    const uint32_t data_bytes = HOUR_FRAMES * 4;
    std::memcpy(&header[header.size() - 4], &data_bytes, 4);
    const std::string path = dir.file("hour.wav");
    test::write_bytes(path, header);
    std::filesystem::resize_file(path, header.size() + data_bytes);
    return path;
}

// One loud A4 over the last 100 output frames of the hour, in the analysis file of path.
void write_analysis_at_the_end(const std::string& wave_path)
{
    char analysis_path[PATH_CAPACITY];
    ASSERT_TRUE(make_analysis_path(wave_path.c_str(), analysis_path, sizeof analysis_path, "fft"));
    FileHandle file = open_file(analysis_path, "w");
    write_analysis_first_line(file.get());
    write_analysis_header(file.get());
    FrameNoteRecord record;
    record.note = 69;
    record.fine_step = 12;
    record.level = 1000;
    record.continuity = 1;
    std::vector<char> text;
    for (int32_t k = 0; k < 100; ++k)
        write_analysis_block(file.get(), std::span(&record, 1), static_cast<int32_t>(HOUR_FRAMES) - 60000 + k * 512, 394,
                             text);
}

TEST(LongRecording, AnHourOfStereoKeepsItsPositionsTicksAndDuration)
{
    test::reset_engine_state();
    test::TempDir dir;
    const std::string path = write_hour_of_silence(dir);
    ASSERT_EQ(read_wave(path.c_str()), static_cast<int32_t>(HOUR_FRAMES));
    EXPECT_EQ(wave_data.samples.size(), size_t{HOUR_FRAMES} * 2);
    EXPECT_EQ(static_cast<int32_t>(wave_data.frame_count * 1000.0 / wave_data.sample_rate), 3600000);
    mix_to_mono();
    EXPECT_EQ(wave_data.channels, 1);

    conversion_settings.VR_INTERVAL = 0;
    write_analysis_at_the_end(path);
    ASSERT_TRUE(set_current_path(path.c_str()));
    conversion_status.reconvert = 1;
    ASSERT_EQ(run_conversion(), 2);
    // Ticks of the note: 1536 per second from sample 158,700,000 on, truncated.
    const MidiEvent& on = midi_event_list.events[0];
    EXPECT_EQ(on.time, static_cast<int32_t>((HOUR_FRAMES - 60000) * 1536.0 / 44100));
    EXPECT_EQ(on.data1, 69);
    const int32_t off_time = midi_event_list.events[1].time;
    EXPECT_GT(off_time, on.time + 1700);  // about 51,000 samples later

    for (auto writer : {write_text_midi, write_smf}) {
        midi_event_list.duration_ms = 0;
        ASSERT_GT(writer(dir.file("hour.out").c_str()), 0);
        EXPECT_EQ(midi_event_list.last_event_time, static_cast<uint32_t>(off_time));
        EXPECT_EQ(midi_event_list.duration_ms, static_cast<uint32_t>(int64_t{off_time} * 1000 / 1536));
        EXPECT_GT(midi_event_list.duration_ms, 3599000u);
    }
    test::reset_engine_state();
}

} // namespace
