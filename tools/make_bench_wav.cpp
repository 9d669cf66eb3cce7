// Writes the benchmark recording: a busy polyphonic passage with some noise (see
// synth::polyphonic_passage), as 16-bit mono at 44100 samples per second.
#include <cstdio>
#include <cstdlib>

#include "signal/wav_synth.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_bench_wav SECONDS OUTPUT.wav\n");
        return 2;
    }
    const int32_t seconds = std::atoi(argv[1]);
    if (seconds <= 0 || seconds > 3600) {
        std::fprintf(stderr, "make_bench_wav: SECONDS must be 1..3600\n");
        return 2;
    }
    if (!synth::write_wav(argv[2], synth::WavLayout{}, synth::polyphonic_passage(seconds * synth::RATE))) {
        std::fprintf(stderr, "make_bench_wav: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
