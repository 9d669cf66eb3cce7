// Writes the benchmark recording: a busy polyphonic passage with some noise (see
// synth::polyphonic_passage), as 16-bit PCM at 44100 samples per second, mono or stereo
// (the right channel then runs a little behind the left).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "signal/wav_synth.h"

int main(int argc, char** argv)
{
    const bool stereo = argc == 4 && std::strcmp(argv[3], "stereo") == 0;
    if (argc != 3 && !stereo) {
        std::fprintf(stderr, "usage: make_bench_wav SECONDS OUTPUT.wav [stereo]\n");
        return 2;
    }
    const int32_t seconds = std::atoi(argv[1]);
    if (seconds <= 0 || seconds > 3600) {
        std::fprintf(stderr, "make_bench_wav: SECONDS must be 1..3600\n");
        return 2;
    }
    const std::vector<int16_t> left = synth::polyphonic_passage(seconds * synth::RATE);
    synth::WavLayout layout;
    std::vector<int16_t> samples = left;
    if (stereo) {
        std::vector<int16_t> right(left.size(), 0);
        std::copy(left.begin(), left.end() - 37, right.begin() + 37);
        samples = synth::interleave(left, right);
        layout.channels = 2;
    }
    if (!synth::write_wav(argv[2], layout, samples)) {
        std::fprintf(stderr, "make_bench_wav: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
