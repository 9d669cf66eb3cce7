// Writes the demo's example recording: a short plucked-string phrase, a broken C major
// chord followed by the chord itself, as 16-bit mono at 44100 samples per second.
#include <cstdio>
#include <vector>

#include "signal/wav_synth.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_example_wav OUTPUT.wav\n");
        return 2;
    }
    const int32_t rate = synth::RATE;
    std::vector<double> signal(static_cast<size_t>(rate * 4), 0.0);
    const double phrase[] = {60, 64, 67, 72};
    for (int i = 0; i < 4; ++i)
        synth::add_plucked_note(signal, phrase[i], 6000, i * rate / 2, rate / 2);
    for (double note : {60.0, 64.0, 67.0})
        synth::add_plucked_note(signal, note, 4000, 2 * rate, 2 * rate);
    if (!synth::write_wav(argv[1], synth::WavLayout{}, synth::to_pcm16(signal))) {
        std::fprintf(stderr, "make_example_wav: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
