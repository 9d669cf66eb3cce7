// Tonagram_batch that starts from the analysis file a previous conversion left beside the
// WAV file instead of analysing again: same arguments, same outputs, seconds instead of a
// full analysis. The transcription benchmark uses it to try note-building settings quickly.
#include <cstdio>

#include "batch/batch_run.h"
#include "core/status.h"

int main(int argc, char** argv)
{
    conversion_status.reconvert = 1;
    return batch_main(argc, argv);
}
