// Paths every whole-file read must refuse at once, without waiting or reading without end,
// with the reason each gives.
#pragma once

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "core/file_io.h"
#include "support/test_support.h"

namespace test {

struct UnreadablePath {
    std::string path;
    FileReadProblem problem;
};

// Makes, in dir, a FIFO with no writer, a folder and a sparse file over the read limit, their
// names ending in `extension`, and returns them with /dev/zero. Callers guard with alarm():
// a reader that waits on the FIFO would hang for good.
inline std::vector<UnreadablePath> make_unreadable_paths(const TempDir& dir, const std::string& extension)
{
    const std::string pipe = dir.file("pipe" + extension);
    const std::string folder = dir.file("folder" + extension);
    const std::string huge = dir.file("huge" + extension);
    if (::mkfifo(pipe.c_str(), 0600) != 0)
        return {};
    std::filesystem::create_directory(folder);
    write_sparse(huge, WHOLE_FILE_READ_LIMIT + 1);
    return {{pipe, FileReadProblem::NotRegularFile},
            {folder, FileReadProblem::NotRegularFile},
            {"/dev/zero", FileReadProblem::NotRegularFile},
            {huge, FileReadProblem::TooLarge}};
}

} // namespace test
