// The frames of one analysis run, in batches on all workers of a pool: the fine-pitch search,
// the choice of the output frames, the residual pursuit and, in frame order on the calling
// thread, continuity, the analysis file's blocks, progress and the stop request.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/worker_pool.h"

struct AnalysisTotals {
    int32_t written = 0;        // record lines written
    int32_t largest_level = 0;  // the largest level among them
};

// Analyses every frame of the mono wave_data with the analysis tables built, writing the
// blocks of the output frames to file, until the end or a stop request.
AnalysisTotals analyse_frames(std::FILE* file, WorkerPool& pool);
