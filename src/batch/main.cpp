// Tonagram_batch: converts one WAV file named on the command line into MIDI files.
#include "batch/batch_run.h"

int main(int argc, char** argv)
{
    return batch_main(argc, argv);
}
