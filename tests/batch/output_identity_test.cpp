// Whole conversions of a busy polyphonic passage under many settings must keep writing the
// very same analysis, text MIDI and Standard MIDI files: their hashes were taken from the
// plain sequential analysis before it was made fast, and no byte may change.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "signal/wav_synth.h"
#include "support/test_support.h"

namespace {

const std::string batch_exe = TONAGRAM_BATCH_EXE;

uint64_t fnv1a(const std::vector<uint8_t>& bytes)
{
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : bytes) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

struct Case {
    const char* name;
    int32_t rate;
    int32_t channels;
    int32_t gain;  // the passage is multiplied by it (and clipped)
    int32_t milliseconds;
    const char* settings;  // Tonagram.ini beside the program
    const char* options;   // batch command-line options
    uint64_t fft, txt, mid;
};

// The passage at 44100 per second, mono, unless a case says otherwise.
const Case cases[] = {
    {"defaults", 44100, 1, 1, 1000, "", "",
     0xbe5d7ccbb3c77d96, 0x84544572284f6d56, 0x496bed765da67d8d},
    {"microtonal", 44100, 1, 1, 1000, "", "m:1",
     0xb6bab753add62f0c, 0x2994e8db9bba9423, 0xa7efcbb7390fb43b},
    {"overtone removal", 44100, 1, 1, 1000, "", "o:1",
     0xe9ac38e16fdba704, 0x4ae26ce3b3d50c22, 0x1418ea98004cce1c},
    {"both corrections", 44100, 1, 1, 1000, "[CONV1]\nFUNDAMENTAL_CORRECT=1\nOVERTONE_CORRECT=1\nMAX_OVERTONE=8\n", "",
     0xe598d3d17f93a072, 0x57d68e545ba2d287, 0x61135b8e747486ae},
    {"frame 1024", 44100, 1, 1, 1000, "", "w:1024",
     0x8092cba0e4ea4010, 0x0cb87a8792af04dd, 0x7b6833a6546e0f65},
    {"frame 8192", 44100, 1, 1, 1000, "", "w:8192",
     0x75e5ba42845543ac, 0xf1871fb06c191cf1, 0xfb51b9e3e440ebe6},
    {"time unit 1000", 44100, 1, 1, 1000, "", "t:1000",
     0xbe5d7ccbb3c77d96, 0xfef52441d2cc1e6e, 0xaea486039f87ab0a},
    {"narrow keys", 44100, 1, 1, 1000, "[CONV2]\nKEY_MIN=48\nKEY_MAX=60\n", "",
     0x10a6cbe0e725bcc1, 0x97a055063673ac85, 0x80ee2aaacfa38b5d},
    {"all keys", 44100, 1, 1, 700, "[CONV2]\nKEY_MIN=0\nKEY_MAX=127\n", "",
     0x07b4e0bd7d80d319, 0x990dcba9e0e3c546, 0x7d038e90f8eeb437},
    {"22050 stereo", 22050, 2, 1, 1000, "", "",
     0x29f3364de88ee36a, 0x6fd693c911fa66d8, 0x69d0208ce98a36e4},
    {"48000", 48000, 1, 1, 1000, "", "",
     0xa113e6e397cd22f8, 0x350db46a46d64553, 0x137091ade4c878bc},
    {"clipped", 44100, 1, 8, 700, "", "m:1",
     0x887104578cb9ebbd, 0x792321c4587e5276, 0xc9231e6480c8612d},
    {"short windows", 44100, 1, 1, 700, "[CONV1]\nMAX_ANAL_CYCLE=1\nVARY_RATE=0\n", "w:1024",
     0xeff2fa84cf86287c, 0x2fa88f0618aaf523, 0x93f1ef7f7c22924d},
};

std::vector<int16_t> passage(const Case& c)
{
    const int32_t frames = c.rate / 1000 * c.milliseconds;
    std::vector<int16_t> mono = synth::polyphonic_passage(frames, 7, c.rate);
    for (int16_t& s : mono)
        s = static_cast<int16_t>(std::clamp(s * c.gain, -32768, 32767));
    if (c.channels == 1)
        return mono;
    // The right channel runs a little behind, so the mixdown is no plain copy.
    std::vector<int16_t> right(mono.size(), 0);
    std::copy(mono.begin(), mono.end() - 37, right.begin() + 37);
    return synth::interleave(mono, right);
}

std::string hex(uint64_t v)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%016" PRIx64, v);
    return text;
}

TEST(OutputIdentity, EveryCaseWritesTheRecordedFiles)
{
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string exe = dir.file("Tonagram_batch");
        std::filesystem::copy_file(batch_exe, exe);
        test::write_text(dir.file("Tonagram.ini"), c.settings);
        synth::WavLayout layout;
        layout.rate = c.rate;
        layout.channels = c.channels;
        ASSERT_TRUE(synth::write_wav(dir.file("take.wav"), layout, passage(c)));
        const test::CommandResult r =
            test::run_command("cd '" + dir.path().string() + "' && ./Tonagram_batch take " + c.options);
        ASSERT_EQ(r.exit_status, 0) << c.name << r.output;
        const uint64_t fft = fnv1a(test::read_bytes(dir.file("take.fft")));
        const uint64_t txt = fnv1a(test::read_bytes(dir.file("take.txt")));
        const uint64_t mid = fnv1a(test::read_bytes(dir.file("take.mid")));
        EXPECT_TRUE(fft == c.fft && txt == c.txt && mid == c.mid)
            << c.name << ": got {" << hex(fft) << ", " << hex(txt) << ", " << hex(mid) << "}";
    }
}

} // namespace
